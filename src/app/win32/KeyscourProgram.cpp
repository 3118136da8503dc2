#include "app/win32/KeyscourProgram.h"

#include "mainwindow/win32/RegMain.h"

namespace hs::app {

namespace {

class KeyscourProgram : public MainWindowHost {
 public:
  explicit KeyscourProgram(ui::AppContext& context) : m_window(context) {}

  bool Open(int showCommand) {
    if (!m_window.Create()) return false;
    ::ShowWindow(m_window.hwnd(), showCommand);
    ::UpdateWindow(m_window.hwnd());
    return true;
  }
  HWND hwnd() const override { return m_window.hwnd(); }
  HACCEL accelerators() const override { return m_window.accelerators(); }

 private:
  mainwindow::TfrmKeyscour m_window;
};

}  // namespace

std::unique_ptr<MainWindowHost> CreateKeyscourWindow(ui::AppContext& context, int showCommand) {
  auto program = std::make_unique<KeyscourProgram>(context);
  if (!program->Open(showCommand)) return nullptr;
  return program;
}

}  // namespace hs::app
