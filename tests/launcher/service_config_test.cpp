// What the launcher hands the service manager, and how the service commands are
// read. The stop method and the exit codes show in the service tests' outcomes.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "launcher/service_config.h"

namespace jl {
namespace {

using namespace std::string_literals;

// Also what Wine does not keep or act on: delayed start, accounts, failure
// actions and the preshutdown time are checked here, as handed over.
TEST(ServiceConfig, HandsTheManagerWhatTheSettingsSay) {
    const struct {
        ServiceSettings settings;
        uint32_t startType;
        bool delayed;
        std::wstring account, dependencies;
        std::vector<uint32_t> restartsMs;
        uint32_t preshutdownMs;
    } cases[] = {
        {{}, kServiceAutoStart, false, L"NT AUTHORITY\\LocalService", L"", {}, 0},
        {{.startType = ServiceStartType::delayed, .account = ServiceAccount::localSystem,
          .dependencies = {L"Tcpip", L"Dnscache"}},
         kServiceAutoStart, true, L"", L"Tcpip\0Dnscache\0\0"s, {}, 0},
        {{.startType = ServiceStartType::manual, .account = ServiceAccount::networkService, .restartDelaySeconds = 60,
          .preshutdownTimeoutSeconds = 120},
         kServiceDemandStart, false, L"NT AUTHORITY\\NetworkService", L"", {60000, 60000, 60000}, 120000},
        {{.startType = ServiceStartType::disabled, .restartDelaySeconds = 0}, kServiceDisabled, false,
         L"NT AUTHORITY\\LocalService", L"", {0, 0, 0}, 0},
    };
    for (const auto& c : cases) {
        const ServiceConfig config = serviceConfigFor(c.settings, L"C:\\Apps\\My App\\App.exe");
        EXPECT_EQ(config.imagePath, L"\"C:\\Apps\\My App\\App.exe\" --run-service");
        EXPECT_EQ(config.startType, c.startType);
        EXPECT_EQ(config.delayedAutoStart, c.delayed);
        EXPECT_EQ(config.account, c.account);
        EXPECT_EQ(config.dependencies, c.dependencies);
        EXPECT_EQ(config.restartDelaysMs, c.restartsMs);
        EXPECT_EQ(config.failureResetSeconds, 86400u);
        EXPECT_EQ(config.preshutdownTimeoutMs, c.preshutdownMs);
    }
}

TEST(ServiceConfig, ACommandLeadsTheArgumentsAndQuietMayFollowIt) {
    using Command = ServiceCommand;
    const struct { std::vector<std::wstring> arguments; Command command; bool quiet; } requests[] = {
        {{}, Command::none, false}, {{L"--install-service"}, Command::install, false},
        {{L"--uninstall-service", L"--quiet"}, Command::uninstall, true}, {{L"--start-service"}, Command::start, false},
        {{L"--stop-service", L"x", L"--quiet"}, Command::stop, true}, {{L"--service-status"}, Command::status, false},
        // The service's own arguments belong to the Java program; a command only leads.
        {{L"--run-service", L"--quiet"}, Command::run, false}, {{L"a", L"--install-service"}, Command::none, false}};
    for (const auto& r : requests) {
        const ServiceRequest request = serviceRequestFrom(r.arguments);
        EXPECT_EQ(request.command, r.command);
        EXPECT_EQ(request.quiet, r.quiet);
    }
}

} // namespace
} // namespace jl
