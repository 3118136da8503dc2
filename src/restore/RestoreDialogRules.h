#pragma once
// The restore dialog's decisions, apart from its window: where its middle
// buttons go after translation, which row is selected after one is removed,
// and what the user is asked and told around a restore.
#include <string>

#include "restore/BackupItems.h"
#include "restore/RestoreBackup.h"
#include "restore/RestorePreview.h"

namespace hs {

// Horizontal extents of the bottom row of buttons, in one unit (pixels).
struct RestoreButtonRow {
  int restoreRight = 0;   // right edge of "Restore"
  int closeLeft = 0;      // left edge of "Close"
  int openWidth = 0;      // "Open Directory" as it is
  int openTextWidth = 0;  // its caption's text width
  int deleteWidth = 0;
  int itemsWidth = 0;  // "Show items..." between the two, as it is; 0: no such button
  int itemsTextWidth = 0;
};

struct RestoreButtonPlacement {
  int openLeft = 0;
  int openWidth = 0;
  int deleteLeft = 0;
  int itemsLeft = 0;
  int itemsWidth = 0;
};

// "Open Directory" (and "Show items...") widen to their text plus 5 when
// narrower; the free space between "Restore" and "Close" is then split into
// equal gaps, one more than the buttons between them.
RestoreButtonPlacement PlaceRestoreButtons(const RestoreButtonRow& row);

// The row to select after `removedRow` went and `rowsLeft` remain: the row
// that took its place, else the new last row; -1 for an emptied list.
int RowSelectedAfterRemoval(int removedRow, int rowsLeft);

// The question before a file this program did not record (or that changed
// since) is imported: it names the file, why it is not trusted and what it
// would add.
std::string UntrustedImportQuestion(const std::string& file, const RestorePreview& preview);

// What the dialog tells the user after a restore; "" when there is nothing
// to say (a verified whole restore, or an editor that could not start, whose
// message the runner has shown).
std::string RestoreOutcomeText(const std::string& file, const RestoreOutcome& outcome);

// The item list's words: whether the registry holds an item ("Yes", "No",
// "Differs" in the user's language), and the value an item of one value
// puts back ("(Default)" for the default value; "" for a key).
std::string PresenceText(ItemPresence presence, const Translation& texts);
std::string ItemValueText(const BackupFileItem& item);

// The same after a restore of chosen items: a file kept because other items
// of it are not back is what the list shows, and goes unsaid.
std::string ItemRestoreOutcomeText(const std::string& file, RestoreOutcome outcome);

}  // namespace hs
