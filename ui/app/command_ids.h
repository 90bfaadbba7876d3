#pragma once
// Numeric identifiers of the program's commands, status bar panes and
// controls. Menu entries, toolbar buttons and accelerators carry these ids as
// their action data, so every place that triggers a command names it the same
// way.

namespace larkspur::ui {

enum CommandId : int {
  // Project menu
  kIdFileNew = 57600,
  kIdEditWebsiteInfo = 32786,
  kIdFileOpen = 57601,
  kIdFileSave = 57603,
  kIdFileSaveAs = 57604,
  kIdFilePrint = 57607,
  kIdFilePrintDirect = 57608,
  kIdFilePrintPreview = 57609,
  kIdFilePrintSetup = 57606,
  kIdFileMruFile1 = 57616,
  kIdAppExit = 57665,
  // Edit menu
  kIdEditCut = 57635,
  kIdEditCopy = 57634,
  kIdEditPaste = 57637,
  kIdEditUndo = 57643,
  kIdEditFind = 57636,
  kIdFindNext = 32771,
  kIdSelectAll = 32772,
  kIdInvertSelection = 32773,
  kIdUp = 32797,
  kIdDown = 32798,
  // Search Engine Submit menu
  kIdAutoSubmitAll = 32778,
  kIdAutoSubmitReset = 32791,
  kIdAnnounceIndexNow = 32830,
  kIdCreateSubmitReport = 32774,
  kIdCheckTargets = 32831,  // also on the engine list's context menu
  kIdStopCheck = 32832,
  kIdStartUpdate = 32804,
  kIdStopUpdate = 32805,
  kIdInternetOption = 32794,
  kIdServiceKeys = 32833,
  // Link Popularity menu
  kIdSearchLinks = 32813,
  kIdCreateLinksReport = 32817,
  kIdGetAll = 32818,
  kIdGetPageRank = 32819,
  kIdGetIpAddress = 32820,
  kIdGetEmailAddress = 32821,
  kIdStop = 32816,
  kIdImportLinks = 32807,
  kIdOutputLinks = 32809,
  // View, Tool and Help menus
  kIdViewToolbar = 59392,
  kIdViewStatusBar = 59393,
  kIdRoiCalculator = 32824,
  kIdHelpTopic = 32775,
  kIdOnlineUpdate = 32800,
  kIdSubmitServices = 32790,
  kIdAppAbout = 57664,
  // Engine list context menu
  kIdAutoSubmit = 32780,
  kIdOpenInNewWindow = 32787,
  // Browser pane (toolbar)
  kIdBrowserBack = 131,
  kIdBrowserForward = 32799,
  kIdBrowserStop = 133,
  kIdBrowserRefresh = 134,
  kIdCloseBrowserPage = 32803,
  // Accelerators without a menu entry
  kIdNextPane = 57680,
  kIdPrevPane = 57681,
};

// Status bar panes after the message pane.
inline constexpr int kIdStatusTextPane = 32810;
inline constexpr int kIdStatusProgressPane = 32812;

// The work-area tab control and the id of its first view.
inline constexpr int kIdWorkAreaTabs = 11101;
inline constexpr int kIdFirstPane = 59648;

}  // namespace larkspur::ui
