#pragma once
// The main window TfrmKeyscour: title band, the three task buttons, the
// section tree, the findings list (virtual, over the window's rows), the
// status bar counts, the menus and shortcuts. The decisions live in the
// engine (ui/SectionTree, ui/ScanCommandSteps, findings/, repair/); this
// class maps controls and messages onto them.
#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "mainwindow/win32/FindingsListView.h"
#include "mainwindow/win32/ListCommandsWindow.h"
#include "mainwindow/win32/MainMenu.h"
#include "mainwindow/win32/MainWindowIdentity.h"
#include "mainwindow/win32/RepairFromWindow.h"
#include "mainwindow/win32/SectionTreeView.h"
#include "mainwindow/win32/TitleBand.h"
#include "mainwindow/win32/WindowQuestions.h"
#include "scan/Finding.h"
#include "scan/ScanHandOver.h"
#include "scan/ScanWorkers.h"
#include "settings/SettingsFile.h"
#include "translation/Translation.h"
#include "ui/AppContext.h"
#include "ui/CleanOnce.h"
#include "ui/SectionTree.h"
#include "widgets/win32/Window.h"

namespace hs::mainwindow {

// The screen the window opens on.
ScreenSize Screen();

class TfrmKeyscour : public ui::Window {
 public:
  // `context` (the machine, the settings, the facts, the command line)
  // outlives the window; the settings are loaded as the window is created
  // and saved as it closes.
  explicit TfrmKeyscour(ui::AppContext& context,
                        win32::WindowQuestions questions = win32::WindowQuestions::System());
  ~TfrmKeyscour() override;

  // Creates the window (hidden); false when the system refuses.
  bool Create();
  HACCEL accelerators() const { return m_menus.accelerators.get(); }

  // The scan command (button, menu, clean-once run).
  void ScanRegistry();
  // Recomputes the two status-bar panels.
  void RefreshCounts();

 protected:
  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  class ScanHost;

  // Lifecycle (MainWindow.cpp).
  LRESULT onCreate();
  void onShowWindow(bool shown);
  void onActivate(WPARAM state);
  void onSize();
  void onClose();
  void onDestroy();
  void onPaint();
  LRESULT onCtlColorStatic(HDC dc, HWND control);
  void onShowMain();
  void onCleanOnce();
  LRESULT onNotify(const NMHDR& header);
  void onContextMenu(HWND from, LPARAM position);
  void onInitMenuPopup(HMENU menu);
  void onGetMinMaxInfo(MINMAXINFO& info);
  // DPI (MainWindowDpi.cpp): the window moved to a monitor of another DPI.
  void onDpiChanged(UINT dpi, LPARAM suggested);
  void CreateFonts(UINT dpi);
  void UseFontsFor(UINT dpi);
  void UseBandIconFor(UINT dpi);
  void RescaleControls(UINT fromDpi, UINT toDpi);
  void SizeStatusPanels();

  void CreateControls();
  void ApplyWindowSettings();
  void LayoutControls();
  void ApplyLanguage();
  void onLanguage(UINT id);
  void FitTaskButtons();
  bool SaveSettings();
  void StorePlacement();
  std::string Text(const std::string& key, const std::string& english) const;

  // Commands (MainCommands.cpp); one handler each.
  void onCommand(UINT id);
  void onRepairRegistry();
  std::function<void(HWND, const std::vector<NotRepaired>&)> ShowNotRepaired() const;
  void onStartupManager();
  void onSelectAll(bool checked);
  void onSelectOfType(bool checked);
  void onAddToIgnoreLists();
  void onSaveToTextFile();
  void onOpenInRegedit();
  void onCheckForUpdate();
  void onOptions();
  // Safety and help commands (MainSafetyCommands.cpp).
  void onRestoreRegistry();
  void onBackupFullRegistry();
  void onWindowsBackup();
  void onOnlineHelp();
  void onHomePage();
  void onAbout();
  void onExit();
  void RowsChanged();
  std::optional<std::size_t> FocusedRow() const;
  win32::ListCommandInput ListInput();

  ui::AppContext& m_context;
  win32::WindowQuestions m_questions;
  ui::SectionTree m_sections;
  std::vector<Finding> m_rows;
  std::optional<std::vector<std::string>> m_taskList;
  ui::CleanOnceGate m_cleanOnceGate;
  bool m_cleanOnce = false;  // this run is the clean-once run
  bool m_cleanOnceRan = false;
  bool m_firstShown = false;
  bool m_firstActivated = false;
  win32::RepairWindowState m_repairState;  // the unrepaired lists
  // One for the window's life: a stopped scan still finishing cannot reach
  // the next scan's rows.
  std::shared_ptr<ScanHandOver> m_handOver = std::make_shared<ScanHandOver>();
  // Every scan worker, joined as the window is destroyed: a stopped scan may
  // still be inside a call on the context's backends.
  ScanWorkers m_scanWorkers;

  MainMenus m_menus;
  // The DPI the controls, fonts and pictures are made for: the last
  // WM_DPICHANGED's, else the monitor's at creation.
  UINT m_dpi = USER_DEFAULT_SCREEN_DPI;
  // While the stored bounds are applied: a DPI change they cause leaves them
  // as stored (the last run's pixels on that monitor).
  bool m_placing = false;
  ui::UniqueHfont m_font;
  ui::UniqueHfont m_titleFont;
  TitleBand m_band;
  ui::UniqueHicon m_bandIcon;  // outlives Image1, which shows it
  HWND m_imgTitle = nullptr;
  HWND m_lTitle = nullptr;
  HWND m_lTitleHint = nullptr;
  HWND m_lUpdate = nullptr;
  HWND m_iUpdate = nullptr;
  HWND m_image1 = nullptr;
  HWND m_buttons[3] = {};
  HWND m_statusBar = nullptr;
  std::unique_ptr<SectionTreeView> m_tree;
  std::unique_ptr<FindingsListView> m_list;
};

}  // namespace hs::mainwindow
