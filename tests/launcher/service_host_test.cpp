// Services under Wine's service manager on the bridge runtime, installed,
// started, stopped and removed as an installer and an administrator would:
// through the program's own commands and the service manager's API.

#include <gtest/gtest.h>

#include "launcher/service_commands.h"
#include "rig/launcher_run.h"

namespace jltest {
namespace {

constexpr wchar_t kEventSources[] = L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\";

// A test service of a name of its own, removed at the end whatever happened.
class ServiceGuard {
public:
    ServiceGuard()
        : name_(L"JlTest" + std::to_wstring(GetCurrentProcessId()) + L"x" + std::to_wstring(GetTickCount64())) {}
    ~ServiceGuard() {
        SERVICE_STATUS status{};
        if (ControlService(open().get(), SERVICE_CONTROL_STOP, &status)) waitWhile(SERVICE_STOP_PENDING, 30000);
        DeleteService(open().get());
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, (kEventSources + name_).c_str());
    }
    [[nodiscard]] jl::UniqueServiceHandle open() const {
        const jl::UniqueServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
        return jl::UniqueServiceHandle(manager ? OpenServiceW(manager.get(), name_.c_str(), SERVICE_ALL_ACCESS) : nullptr);
    }
    // The state once it is no longer that one (or the time is up).
    SERVICE_STATUS_PROCESS waitWhile(DWORD state, DWORD timeoutMs) const {
        SERVICE_STATUS_PROCESS status{};
        DWORD size = 0;
        for (const ULONGLONG end = GetTickCount64() + timeoutMs;; Sleep(20)) {
            if (!QueryServiceStatusEx(open().get(), SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status),
                                      sizeof status, &size) || status.dwCurrentState != state || GetTickCount64() >= end) break;
        }
        return status;
    }
    const std::wstring name_;
};

class Service : public ::testing::Test {
protected:
    // A service of report.ServiceProgram writing to out.txt. Without the runtime,
    // "JRE Path" names a missing folder and no other runtime is recent enough.
    void writeIni(std::wstring_view serviceLines, bool withRuntime = true, bool isService = true) {
        std::wstring ini = bridgeRuntimeIni(L"report.ServiceProgram", withRuntime ? L"" : L"Minimum Version=99\n");
        const std::wstring bridge = buildFolder(L"runtimes\\bridge\\");
        if (!withRuntime) ini.replace(ini.find(bridge), bridge.size(), app_.path(L"none"));
        app_.writeIni(ini + L"Output File=" + app_.path(L"out.txt") + (isService ? L"\nApplication Type=service" : L"") +
                      L"\n[Product Information]\nProduct Name=JL Test\n[Service]\nService Name=" + service_.name_ +
                      L"\n" + std::wstring(serviceLines));
    }
    void install(std::wstring_view serviceLines, bool withRuntime = true) {
        writeIni(serviceLines, withRuntime);
        ASSERT_EQ(command(L"--install-service --quiet").exitCode, 0);
    }
    LaunchOutcome command(const std::wstring& arguments) { return runLauncher(app_, arguments); }
    [[nodiscard]] std::vector<std::string> output() const { return fileLines(app_.path(L"out.txt")); }

    AppFolder app_;
    ServiceGuard service_;
};

TEST_F(Service, InstallHandsOverItsConfigurationAndUninstallRemovesIt) {
    // Wine refuses failure actions: a setting the manager refuses fails the install and leaves no service.
    writeIni(L"Restart On Failure=30\n");
    EXPECT_NE(command(L"--install-service --quiet").exitCode, 0);
    EXPECT_FALSE(service_.open());
    install(L"Description=Runs the report\nStart Type=manual\nDependencies=RpcSs\nPreshutdown Timeout=90\n");
    std::vector<BYTE> buffer(8192);
    DWORD size = 0;
    auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data());
    ASSERT_TRUE(QueryServiceConfigW(service_.open().get(), config, 8192, &size));
    EXPECT_EQ(config->lpBinaryPathName, L"\"" + app_.exePath() + L"\" --run-service");
    EXPECT_STREQ(config->lpDisplayName, L"JL Test");
    EXPECT_EQ(config->dwStartType, static_cast<DWORD>(SERVICE_DEMAND_START));
    EXPECT_EQ(config->dwServiceType, static_cast<DWORD>(SERVICE_WIN32_OWN_PROCESS));
    // Wine answers no dependencies here; it keeps them where Windows does.
    wchar_t dependencies[16] = {};
    DWORD bytes = sizeof dependencies;
    EXPECT_EQ(RegGetValueW(HKEY_LOCAL_MACHINE, (L"SYSTEM\\CurrentControlSet\\Services\\" + service_.name_).c_str(),
                           L"DependOnService", RRF_RT_REG_MULTI_SZ, nullptr, dependencies, &bytes), 0);
    EXPECT_EQ(std::wstring(dependencies, bytes / sizeof(wchar_t)), std::wstring(L"RpcSs\0\0", 7));
    ASSERT_TRUE(QueryServiceConfig2W(service_.open().get(), SERVICE_CONFIG_DESCRIPTION, buffer.data(), 8192, &size));
    EXPECT_STREQ(reinterpret_cast<SERVICE_DESCRIPTIONW*>(buffer.data())->lpDescription, L"Runs the report");
    ASSERT_TRUE(QueryServiceConfig2W(service_.open().get(), SERVICE_CONFIG_PRESHUTDOWN_INFO, buffer.data(), 8192, &size));
    EXPECT_EQ(reinterpret_cast<SERVICE_PRESHUTDOWN_INFO*>(buffer.data())->dwPreshutdownTimeout, 90000u);
    // The event source reads its entries with the program's own message table.
    jl::UniqueKey source;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, (kEventSources + service_.name_).c_str(), 0, KEY_READ, source.put()), 0);
    EXPECT_EQ(jl::registryString(source.get(), L"EventMessageFile"), app_.exePath());
    const jl::UniqueModule program(LoadLibraryExW(app_.exePath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    DWORD_PTR inserts[] = {reinterpret_cast<DWORD_PTR>(L"an entry")};
    wchar_t text[64] = {};
    FormatMessageW(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ARGUMENT_ARRAY, program.get(), 1, 0, text, 64,
                   reinterpret_cast<va_list*>(inserts));
    EXPECT_STREQ(text, L"an entry\r\n");

    EXPECT_EQ(command(L"--service-status --quiet").exitCode, 3);
    expectEndedWithMessage(command(L"--uninstall-service"), L"The service " + service_.name_ + L" was removed.", 0);
    EXPECT_FALSE(service_.open());
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_DOES_NOT_EXIST));
    EXPECT_EQ(command(L"--service-status --quiet").exitCode, 1);
}

// The arguments are given to StartService; stopped: by a stop control once running.
struct ServiceRunCase {
    const char* name;
    const wchar_t* serviceLines;
    bool withRuntime;
    std::vector<const wchar_t*> arguments;
    bool stopped;
    DWORD win32ExitCode, serviceSpecificCode;
    std::vector<std::string> output;
};

void PrintTo(const ServiceRunCase& c, std::ostream* out) { *out << c.name; }

class ServiceRun : public Service, public ::testing::WithParamInterface<ServiceRunCase> {};

TEST_P(ServiceRun, ReachesStoppedWithTheProgramsCode) {
    const ServiceRunCase& c = GetParam();
    install(c.serviceLines, c.withRuntime);
    std::vector<const wchar_t*> arguments = c.arguments;
    if (c.withRuntime) {
        ASSERT_TRUE(StartServiceW(service_.open().get(), static_cast<DWORD>(arguments.size()), arguments.data()));
        EXPECT_EQ(service_.waitWhile(0, 0).dwCurrentState, static_cast<DWORD>(SERVICE_START_PENDING));
    } else {
        EXPECT_EQ(command(L"--start-service --quiet").exitCode, ERROR_SERVICE_SPECIFIC_ERROR);
    }
    SERVICE_STATUS_PROCESS status = service_.waitWhile(SERVICE_START_PENDING, 60000);
    if (c.stopped) {
        ASSERT_EQ(status.dwCurrentState, static_cast<DWORD>(SERVICE_RUNNING));
        EXPECT_EQ(command(L"--service-status --quiet").exitCode, 0);
        const ULONGLONG stopAt = GetTickCount64();
        EXPECT_EQ(command(L"--stop-service --quiet").exitCode, 0);
        // A stop method that never returns holds the stop for "Stop Timeout" (2 s) only.
        EXPECT_LT(GetTickCount64() - stopAt, 15000u);
    }
    // Nothing waits for a person: a message box would hold the service in its state.
    if (status.dwCurrentState != SERVICE_STOPPED) status = service_.waitWhile(status.dwCurrentState, 30000);
    EXPECT_EQ(status.dwCurrentState, static_cast<DWORD>(SERVICE_STOPPED));
    EXPECT_EQ(status.dwWin32ExitCode, c.win32ExitCode);
    EXPECT_EQ(status.dwServiceSpecificExitCode, c.serviceSpecificCode);
    EXPECT_EQ(output(), c.output);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ServiceRun,
    ::testing::Values(
        ServiceRunCase{"StopMethodOfANamedClass", L"Stop Method=report.ServiceProgram.stop\n", true, {L"run", L"x y"},
                       true, 0, 0, {"main run x y", "stop run x y", "worker ends", "hook"}},
        ServiceRunCase{"WithoutStopMethodSystemExitRunsTheHooks", L"", true, {L"run"}, true, 0, 0, {"main run", "hook"}},
        ServiceRunCase{"StopMethodThatNeverReturns", L"Stop Method=hang\nStop Timeout=2\n", true, {}, true, 0, 0,
                       {"main ", "hang"}},
        ServiceRunCase{"SystemExitFour", L"", true, {L"exit4"}, false, ERROR_SERVICE_SPECIFIC_ERROR, 4,
                       {"main exit4", "hook"}},
        ServiceRunCase{"ExceptionOutOfMain", L"", true, {L"throw"}, false, ERROR_SERVICE_SPECIFIC_ERROR, 1,
                       {"main throw", "hook"}},
        ServiceRunCase{"NoRuntime", L"", false, {}, false, ERROR_SERVICE_SPECIFIC_ERROR, 0x20000001,
                       {}}),
    [](const auto& info) { return std::string(info.param.name); });

// Wine's processes hold every right; the check is the caller's to give here.
TEST_F(Service, CommandsNeedAServiceProgramAndAdministratorRights) {
    writeIni(L"", true, false);
    expectEndedWithMessage(command(L"--install-service"),
                           app_.exePath() + L" is not a service program: the service commands need "
                                            L"\"Application Type=service\" in its [Application] settings.",
                           ERROR_NOT_SUPPORTED);
    EXPECT_EQ(command(L"--service-status --quiet").exitCode, ERROR_NOT_SUPPORTED);

    jl::LauncherSettings settings;
    settings.application.isService = true;
    settings.service.name = service_.name_;
    const std::wstring errors = app_.path(L"errors.txt");
    const jl::UniqueFile file(CreateFileW(errors.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr));
    const HANDLE original = GetStdHandle(STD_ERROR_HANDLE);
    SetStdHandle(STD_ERROR_HANDLE, file.get());
    for (const jl::ServiceCommand command : {jl::ServiceCommand::install, jl::ServiceCommand::start}) {
        EXPECT_EQ(jl::runServiceCommand(command, {settings, app_.exePath(), false, [] { return false; }}), 5);
    }
    SetStdHandle(STD_ERROR_HANDLE, original);
    const std::string line = "This command needs administrator rights: run it again from an elevated command prompt.\r\n";
    EXPECT_EQ(readBytesFile(errors), line + line);
    EXPECT_FALSE(service_.open());
}

} // namespace
} // namespace jltest
