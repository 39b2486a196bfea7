// Resource and command identifiers of the viewer, all in one place: the
// menu, the accelerators, the command table and the status bar key on them.
// Plain #defines, so that the resource scripts include this file too.
#pragma once

// The main frame: menu, accelerator table, icon and title string.
#define IDR_MAINFRAME 100

// Icons.
#define IDI_LUMORA IDR_MAINFRAME  // the application icon
#define IDI_SMALL_ICON 108

// Dialog templates. 111 is the slide show editor's.
#define IDD_SLIDEEDITOR 111
#define IDD_SHOWSETTINGS 130
#define IDD_NAME 131
#define IDD_HINTS 132
#define IDD_ABOUTDLG 133

// Bitmaps: the eleven 16 x 16 entry icons of the browsing lists, and the
// About dialog's sprite.
#define IDB_ENTRY_ICONS 113
#define IDB_ABOUT_SPRITE 118

// Commands of the main frame (menu 100 and accelerator table 100).
#define ID_VIEW_FULLSCREEN 40005      // Full Screen: F2, Ctrl+F
#define ID_SLIDESHOW_START 40006      // Start Slide Show: F8, Ctrl+S
#define ID_SLIDESHOW_EDIT 40007       // Edit Slide Show: F4, Ctrl+E
#define ID_ESCAPE 40010               // Esc
#define ID_SHOW_PICKED_FILE 40011     // posted by the file view
#define ID_VIEW_UNLOCK_ASPECT 40014   // Unlock Aspect Ratio: F6, Ctrl+U
#define ID_HELP_HINTS 40015           // Helpful Hints: F5, Ctrl+H
#define ID_ABOUT_ANIMATE 40016        // the About dialog's animation step
#define ID_SLIDESHOW_SETTINGS 40017   // Slide Show Settings: F3, Ctrl+T
#define ID_APP_ABOUT 0xE140           // 57664 About Lumora
#define ID_SAVER_REFRESH 49876        // broadcast by the editor in editor mode

// The status bar's single pane. It shares its number with Full Screen;
// panes and commands are looked up in different places.
#define ID_INDICATOR_DIRECTORY 40005
