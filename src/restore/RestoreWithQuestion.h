#pragma once
// The restore as the dialog runs it: the engine's verified restore, and for
// a file this program did not record (or that changed since it was), a
// question naming the file and what it would add before it is imported.
#include <functional>
#include <string>

#include "restore/RestoreBackup.h"
#include "restore/RestoreItems.h"

namespace hs {

struct QuestionedRestore {
  RestoreOutcome outcome;
  bool declined = false;  // the user answered No: nothing was imported
  std::string message;    // what to tell the user; "" for nothing
};

// `ask` gets the question text and answers true to import anyway. The line
// rules hold whatever the answer: a file that deletes is refused unasked.
QuestionedRestore RestoreWithQuestion(FileSystemBackend& fs, RegistryBackend& registry,
                                      RegistryEditorRunner& editor, RestoreRequest request,
                                      const std::function<bool(const std::string&)>& ask);

struct QuestionedItems {
  ListedItems listed;
  bool declined = false;  // the user answered No: nothing is listed
  bool force = false;     // the user agreed to import a file the record does not vouch for
  std::string message;    // why nothing is listed; "" for nothing to say
};

// The items of request.file for the item list, asking first, as the restore
// does, before a file this program did not record is offered at all.
QuestionedItems ListItemsWithQuestion(FileSystemBackend& fs, RegistryBackend& registry,
                                      RestoreRequest request,
                                      const std::function<bool(const std::string&)>& ask);

}  // namespace hs
