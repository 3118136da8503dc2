#pragma once
// The engine's registry editor runner over a dialog's replaceable call, so
// that a test can stand in for the editor.
#include <windows.h>

#include <functional>
#include <string>

#include "restore/RegistryEditor.h"

namespace hs::win32 {

using EditorCall = std::function<EditorRun(HWND owner, const std::string& commandLine)>;

class CallingEditor : public RegistryEditorRunner {
 public:
  CallingEditor(HWND owner, const EditorCall& call) : m_owner(owner), m_call(call) {}
  EditorRun run(const std::string& commandLine) override { return m_call(m_owner, commandLine); }

 private:
  HWND m_owner;
  const EditorCall& m_call;
};

}  // namespace hs::win32
