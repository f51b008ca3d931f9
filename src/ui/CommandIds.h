#pragma once
// The command ids of the main window's menu, buttons and controls.  The menu
// actions carry them as data and the controls as object names, so scripts and
// tests find them by number.
namespace typix::cmd {

inline constexpr int kFileList = 100;
inline constexpr int kDispatch = 101;
inline constexpr int kDone = 102;
inline constexpr int kDelete = 103;
inline constexpr int kLoadFile = 104;
inline constexpr int kRecover = 105;
inline constexpr int kSettings = 110;
inline constexpr int kExit = 120;
inline constexpr int kPlay = 201;
inline constexpr int kStop = 203;
inline constexpr int kStart = 211;
inline constexpr int kRewind = 212;
inline constexpr int kForward = 213;
inline constexpr int kEnd = 214;
inline constexpr int kPlaySlow = 231;
inline constexpr int kPlayFast = 232;
inline constexpr int kClearVoice = 241;
inline constexpr int kLevelMeter = 251;
inline constexpr int kPositionText = 252;
inline constexpr int kPositionBar = 253;
inline constexpr int kWaveformStrip = 254;
inline constexpr int kLengthText = 255;
inline constexpr int kVolume = 271;
inline constexpr int kSpeedBar = 281;
inline constexpr int kDock = 300;
inline constexpr int kTypingPad = 400;
inline constexpr int kCut = 410;
inline constexpr int kCopy = 411;
inline constexpr int kPaste = 412;
inline constexpr int kCopyAll = 413;
inline constexpr int kInsertTimeMark = 414;
inline constexpr int kStatusLine = 800;
inline constexpr int kProgress = 801;
inline constexpr int kHelpContents = 901;
inline constexpr int kAbout = 902;

}  // namespace typix::cmd
