// Identifiers the framework itself defines: child window ids, its string
// resources and its style bits. Plain #defines only, so that resource
// scripts can include this file too.
#pragma once

// Child windows of a frame.
#define AFX_IDW_STATUS_BAR 0xE801  // the frame's status bar
#define AFX_IDW_PANE_FIRST 0xE900  // the frame's client view

// Strings of framework.rc.
#define AFX_IDS_IDLEMESSAGE 0xE001     // 57345 "Ready": the message line at rest
#define AFX_IDS_SCFIRST 0xEF00         // prompts of the system menu's commands
#define AFX_IDS_SCSIZE 0xEF00
#define AFX_IDS_SCMOVE 0xEF01
#define AFX_IDS_SCMINIMIZE 0xEF02
#define AFX_IDS_SCMAXIMIZE 0xEF03
#define AFX_IDS_SCCLOSE 0xEF06         // 61190 "Terminate the application"
#define AFX_IDS_SCRESTORE 0xEF12
#define AFX_IDP_FAILED_TO_OPEN_DOC 0xF104  // "%s\n\nThis document cannot be opened."

// Frame style bit: the title becomes "document - application". The bit lies
// in the class-specific low word, unused by our frame window class.
#define FWS_ADDTOTITLE 0x00008000L

// Status bar pane style: the pane takes the width the other panes leave.
#define SBPS_STRETCH 0x08000000L
