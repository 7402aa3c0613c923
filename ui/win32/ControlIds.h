// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Dialog ids of the windows' controls and menu entries, and the window
// classes, fixed so that a test can find them from another process.
// Plain macros: the resource script includes this file too.

#define ORVALEN_CLASS_MAIN L"OrvalenMain"
#define ORVALEN_CLASS_BROWSE L"OrvalenBrowse"
#define ORVALEN_CLASS_ABOUT L"OrvalenAbout"
#define ORVALEN_CLASS_INSTRUCTIONS L"OrvalenInstructions"

#define IDI_ORVALEN 101

// frmMain
#define IDC_fraMode1 1000
#define IDC_lblSourceListLabel 1001
#define IDC_lblDestinationListLabel 1002
#define IDC_lstSource 1003
#define IDC_lstDestination 1004
#define IDC_cmdAddFile 1005
#define IDC_cmdAddFolder 1006
#define IDC_cmdEditItem 1007
#define IDC_cmdDeleteItem 1008
#define IDC_fraMode2 1010
#define IDC_lblSourcePathLabel 1011
#define IDC_lblSourcePath 1012
#define IDC_cmdBrowseSource 1013
#define IDC_lblDestinationPathLabel 1014
#define IDC_lblDestinationPath 1015
#define IDC_cmdBrowseDestination 1016
#define IDC_cmdOK 1017
#define IDC_cmdCancel 1018
#define IDC_fraRun 1020
#define IDC_lblIntervalLabel 1021
#define IDC_txtTimeInterval 1022
#define IDC_lblStatusLabel 1023
#define IDC_lblStatus 1024
#define IDC_cmdStart 1025
#define IDC_cmdStop 1026

// The menu
#define IDM_mnuFileExit 1101
#define IDM_mnuHelpInstructions 1102
#define IDM_mnuHelpAbout 1103

// frmBrowse
#define IDC_Browse_Label1 1201
#define IDC_Drive1 1202
#define IDC_Browse_cmdSelect 1203
#define IDC_Browse_cmdCancel 1204
#define IDC_Browse_Label2 1205
#define IDC_Dir1 1206
#define IDC_Browse_Label3 1207
#define IDC_File1 1208

// frmAbout
#define IDC_picIcon 1301
#define IDC_lblTitle 1302
#define IDC_lblVersion 1303
#define IDC_About_lblByMe 1304
#define IDC_lblDate 1305
#define IDC_Line1 1306
#define IDC_lblDisclaimer 1307
#define IDC_About_cmdOK 1308
#define IDC_cmdSysInfo 1309

// frmInstructions
#define IDC_lblInstructionsLabel 1401
#define IDC_lblInstructions 1402
#define IDC_Instructions_Label1 1403
#define IDC_frmByMe 1404
#define IDC_Instructions_lblByMe 1405
#define IDC_cmdClose 1406
