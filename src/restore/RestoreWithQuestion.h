#pragma once
// The restore as the dialog runs it: the engine's verified restore, and for
// a file this program did not record (or that changed since it was), a
// question naming the file and what it would add before it is imported.
#include <functional>
#include <string>

#include "restore/RestoreBackup.h"

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

}  // namespace hs
