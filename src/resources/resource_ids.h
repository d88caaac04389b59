#pragma once
// Ids of the launcher's non-string resources (strings: support/message_ids.h).
// Also read by the resource compiler: plain #defines only.

#define IDI_LAUNCHER 1

// The JRE Not Found dialog and its controls.
#define IDD_JRE_NOT_FOUND 201
#define IDC_JRE_PATH_EDIT 201
#define IDC_JRE_BROWSE 202
#define IDC_JRE_MESSAGE 203
#define IDC_JRE_ERROR_ICON 204
#define IDC_JRE_LINK 205
#define IDC_JRE_BROWSE_HINT 206

// The Java Exception dialog and its controls.
#define IDD_JAVA_EXCEPTION 231
#define IDC_EXCEPTION_ERROR_ICON 204
#define IDC_EXCEPTION_TRACE 208
#define IDC_EXCEPTION_GROUP 209
#define IDC_EXCEPTION_INTRO 210
#define IDC_EXCEPTION_INSTRUCTION 211
#define IDC_EXCEPTION_WARNING 212
#define IDC_EXCEPTION_SIZE_GRIP 59393
