#pragma once
// String-table ids of every user-visible message. The texts live only in
// resources/strings.rc.

namespace jl {

inline constexpr unsigned kMsgWindowsException = 202;      // (%s, %d)
inline constexpr unsigned kMsgJniException = 203;          // (%s, %s)
inline constexpr unsigned kMsgJreNotFoundServer = 206;     // (%s)
inline constexpr unsigned kMsgJreNotFound = 207;           // (%s)
inline constexpr unsigned kMsgModulePathFailed = 208;
inline constexpr unsigned kMsgClassPathMissing = 209;
inline constexpr unsigned kMsgMainClassMissing = 210;
inline constexpr unsigned kMsgMainClassLoadFailed = 211;   // (%s)
inline constexpr unsigned kMsgCreateJavaVmMissing = 212;
inline constexpr unsigned kMsgCreateJavaVmFailed = 213;
inline constexpr unsigned kMsgBrowseForJre = 214;
inline constexpr unsigned kMsgMainClassNotFound = 215;     // (%s)
inline constexpr unsigned kMsgMainMethodMissing = 216;
inline constexpr unsigned kMsgLatestVersion = 217;
inline constexpr unsigned kMsgMaximumVersion = 218;        // (%s)
inline constexpr unsigned kMsgMinimumVersion = 219;        // (%s)
inline constexpr unsigned kMsgExactVersion = 220;          // (%s)
inline constexpr unsigned kMsgVersionBetween = 221;        // (%s, %s)
inline constexpr unsigned kMsgJvmLibraryLoadFailed = 222;  // (%s, %d)
inline constexpr unsigned kMsgJniErrorUnknown = 225;
inline constexpr unsigned kMsgJniErrorDetached = 226;
inline constexpr unsigned kMsgJniErrorVersion = 227;
inline constexpr unsigned kMsgJniErrorNoMemory = 228;
inline constexpr unsigned kMsgJniErrorExists = 229;
inline constexpr unsigned kMsgJniErrorInvalid = 230;
inline constexpr unsigned kMsgPairProductStartFailed = 240;  // (%s, %d)
inline constexpr unsigned kMsgRuntimeSaid = 241;             // (%s, %s)
inline constexpr unsigned kMsgEndedBeforeMain = 242;
inline constexpr unsigned kMsgMainClassInitFailed = 243;     // (%s, %s)
inline constexpr unsigned kMsgRuntimeIs32Bit = 244;
inline constexpr unsigned kMsgJreDownloadLink = 245;        // where the JRE Not Found text sends the user
inline constexpr unsigned kMsgForwardedArgumentsTooLong = 250;  // (%s, %d)
inline constexpr unsigned kMsgPrimaryNeverListened = 251;       // (%s)
inline constexpr unsigned kMsgVmCrashed = 260;
inline constexpr unsigned kMsgVmCrashedWithLog = 261;           // (%s)
inline constexpr unsigned kMsgMainJarMissing = 270;             // (%s)
inline constexpr unsigned kMsgMainModuleConflict = 271;         // (%s, %s)
inline constexpr unsigned kMsgNotAService = 280;                // (%s)
inline constexpr unsigned kMsgNeedsAdministrator = 281;
inline constexpr unsigned kMsgServiceInstalled = 282;           // (%s)
inline constexpr unsigned kMsgServiceInstallFailed = 283;       // (%s, %d)
inline constexpr unsigned kMsgServiceRemoved = 284;             // (%s)
inline constexpr unsigned kMsgServiceRemoveFailed = 285;        // (%s, %d)
inline constexpr unsigned kMsgServiceRunning = 286;             // (%s)
inline constexpr unsigned kMsgServiceStartFailed = 287;         // (%s, %d)
inline constexpr unsigned kMsgServiceNotRunning = 288;          // (%s)
inline constexpr unsigned kMsgServiceStopFailed = 289;          // (%s, %d)
inline constexpr unsigned kMsgServiceNotInstalled = 290;        // (%s)
inline constexpr unsigned kMsgServiceEndedAtStart = 291;        // (%s, %d)
inline constexpr unsigned kMsgMainThrew = 292;                  // (%s)
inline constexpr unsigned kMsgStopMethodMissing = 293;          // (%s)
inline constexpr unsigned kMsgStopMethodThrew = 294;            // (%s)
inline constexpr unsigned kMsgStopTimedOut = 295;               // (%s, %d)

} // namespace jl
