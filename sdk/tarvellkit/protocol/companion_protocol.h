// Fixed values of the companion service and its channel, shared by the
// library and the simulated phone.
#pragma once

namespace companion {
inline constexpr char kPackage[] = "com.velmora.tarvell";
inline constexpr char kActivity[] = "com.velmora.tarvell.activity.ServiceActivity";
inline constexpr char kPackageFile[] = "tarvell.apk";
inline constexpr char kGreeting[] = "hello-android;";
inline constexpr char kGreetingAnswer[] = "HI-PC";
inline constexpr unsigned short kLocalPort = 25803;
inline constexpr unsigned short kPhonePort = 20151;
} // namespace companion
