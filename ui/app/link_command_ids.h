#pragma once
// Identifiers of the commands that only the link list's and the PPC list's
// context menus carry.

namespace larkspur::ui {

inline constexpr int kIdLinkAdd = 32801;
inline constexpr int kIdLinkEdit = 32796;
inline constexpr int kIdLinkDelete = 32793;
inline constexpr int kIdLinkOpenInBrowser = 32795;
inline constexpr int kIdLinkSendEmail = 32802;
inline constexpr int kIdLinkOpenInNewWindow = 32823;
// "Item Select": one entry per column, this id plus the column index.
inline constexpr int kIdFirstColumnToggle = 32001;

inline constexpr int kIdPpcOpenInNewWindow = 32826;
inline constexpr int kIdPpcOpenInBrowser = 32825;

}  // namespace larkspur::ui
