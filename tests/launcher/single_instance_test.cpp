// Single-instance starts on the probe runtime: the limits of forwarding, a
// primary that dies, ends or never listens, the starts that never forward, and
// the listener thread the launcher's end gives up on.

#include <gtest/gtest.h>

#include <algorithm>

#include "launcher/single_instance.h"
#include "rig/held_thread.h"
#include "rig/launcher_run.h"

namespace jltest {
namespace {

// The block of the AppFolder's program as a primary in this test's own process
// leaves it: listening on that thread, or (0) not yet.
class TestPrimaryBlock {
public:
    TestPrimaryBlock(const AppFolder& app, DWORD listener) {
        const std::wstring name = jl::forwardInstanceName(app.exePath());
        mapping_.reset(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(jl::ForwardBlock),
                                          name.c_str()));
        view_.reset(mapping_ ? MapViewOfFile(mapping_.get(), FILE_MAP_WRITE, 0, 0, 0) : nullptr);
        if (!view_) return;
        block().primaryProcessId = GetCurrentProcessId();
        block().messageId = RegisterWindowMessageW(name.c_str());
        block().listenerThreadId = listener;
    }
    [[nodiscard]] bool valid() const { return view_.valid(); }
    [[nodiscard]] jl::ForwardBlock& block() const {
        return *static_cast<jl::ForwardBlock*>(const_cast<void*>(view_.get()));
    }

private:
    jl::UniqueHandle mapping_;
    jl::UniqueView view_;
};

class SingleInstance : public ::testing::Test {
protected:
    void SetUp() override { writeIni(app_); }
    static void writeIni(const AppFolder& app, std::wstring_view applicationLines = L"") {
        app.writeIni(probeIni(L"JRE Path=" + probeRuntimeHome() + L"\n",
                              L"[Application]\nSingle Instance=yes\n" + std::wstring(applicationLines)));
    }
    static LaunchedProcess start(const AppFolder& app, std::wstring_view scenario, std::wstring_view arguments = L"") {
        return LaunchedProcess::start(app.exePath(), std::wstring(arguments), probeEnvironment(app, scenario));
    }
    AppFolder app_;
};

TEST_F(SingleInstance, ArgumentsBeyondTheLimitEndTheSecondaryWithAMessage) {
    LaunchedProcess primary = start(app_, L"secondaryMain=int;secondaryResult=5;thread=20000");
    ASSERT_TRUE(waitForListeningPrimary(app_));
    expectEndedWithMessage(
        start(app_, L"", std::wstring(519, L'x')).finish(),
        L"The arguments are too long to hand to the running MyApp.exe: they take 1042 bytes, and at most 1040 fit.\n");
    const LaunchOutcome fits = start(app_, L"", std::wstring(518, L'y')).finish();
    expectEndedWithoutMessage(fits, 5);
    EXPECT_EQ(probeMainArguments(app_), std::vector<std::wstring>{std::wstring(518, L'y')});
    primary.terminate(0);
}

TEST_F(SingleInstance, KilledPrimaryReleasesWaitingSecondariesWithItsExitCode) {
    LaunchedProcess primary = start(app_, L"secondaryMain=none;thread=60000");
    ASSERT_TRUE(waitForListeningPrimary(app_));
    std::vector<LaunchedProcess> secondaries;
    for (int i = 0; i < 3; ++i) secondaries.push_back(start(app_, L"", L"s" + std::to_wstring(i)));
    Sleep(2000);
    for (const LaunchedProcess& secondary : secondaries) EXPECT_TRUE(secondary.running());
    ASSERT_TRUE(primary.terminate(77));
    for (LaunchedProcess& secondary : secondaries) EXPECT_EQ(secondary.waitForExit(), 77);
    // The names went with the last handle: the next start leads.
    EXPECT_EQ(start(app_, L"").waitForExit(), 0);
    EXPECT_EQ(probeMainCalls(app_), 2u);
}

// A start that finds the primary ending (its listener gone, its process not yet)
// takes its place, so that the starts after it are handed to it.
TEST_F(SingleInstance, StartThatFindsThePrimaryEndingBecomesTheNewPrimary) {
    DWORD endedListener = 0;
    const jl::UniqueHandle ended(
        CreateThread(nullptr, 0, [](void*) -> DWORD { return 0; }, nullptr, 0, &endedListener));
    ASSERT_EQ(WaitForSingleObject(ended.get(), 10000), static_cast<DWORD>(WAIT_OBJECT_0));
    // This test plays the ending primary; its ended listener's id stays taken while the handle is open.
    const TestPrimaryBlock ending(app_, endedListener);
    ASSERT_TRUE(ending.valid());
    LaunchedProcess first = start(app_, L"secondaryMain=int;secondaryResult=7;thread=20000", L"first");
    ASSERT_TRUE(waitForProbeMainCalls(app_, 1));
    expectEndedWithoutMessage(start(app_, L"", L"second").finish(), 7);
    EXPECT_EQ(probeMainCalls(app_), 1u);
    EXPECT_EQ(probeMainArguments(app_), (std::vector<std::wstring>{L"first", L"second"}));
    EXPECT_EQ(ending.block().primaryProcessId, first.processId());
    first.terminate(0);
}

// A block whose primary never starts its listener (it hangs, say) ends each
// secondary after 10 s with a word, not silently.
TEST_F(SingleInstance, PrimaryThatNeverListensEndsTheSecondaryWithAMessage) {
    const TestPrimaryBlock silent(app_, 0);
    ASSERT_TRUE(silent.valid());
    const ULONGLONG started = GetTickCount64();
    expectEndedWithMessage(start(app_, L"", L"x").finish(),
                           L"The running MyApp.exe did not answer within 10 seconds; the arguments were not handed "
                           L"to it.\n");
    EXPECT_GE(GetTickCount64() - started, 9000u);
    EXPECT_EQ(probeMainCalls(app_), 0u);
}

// An event name the system refuses (where names are held to MAX_PATH, a program
// path of 253 to 255 characters gets a block, but "_upr_evt" pushes the event's
// name past the limit) turns the mode off: every start runs on its own, none
// waits on another. Wine takes names of up to 32,767 characters, so here the
// name is refused because another program holds a mutex under it.
TEST_F(SingleInstance, EventNameTheSystemRefusesTurnsTheModeOffForEveryStart) {
    const std::wstring eventName = jl::forwardInstanceName(app_.exePath()) + L"_upr_evt";
    const jl::UniqueHandle squatter(CreateMutexW(nullptr, FALSE, eventName.c_str()));
    ASSERT_TRUE(squatter);
    ASSERT_FALSE(jl::UniqueHandle(CreateEventW(nullptr, TRUE, FALSE, eventName.c_str())));
    LaunchedProcess first = start(app_, L"secondaryMain=int;secondaryResult=5;thread=20000", L"first");
    ASSERT_TRUE(waitForProbeMainCalls(app_, 1));
    const LaunchOutcome second = start(app_, L"", L"second").finish(10000);
    expectEndedWithoutMessage(second, 0);
    EXPECT_EQ(probeMainCalls(app_), 2u);
    EXPECT_EQ(probeMainArguments(app_), (std::vector<std::wstring>{L"first", L"second"}));
    first.terminate(0);
}

// The launcher's end waits 5 s for the listener. One held up longer (here by
// the loader lock, as a thread stuck in the system's DLL loading would be) runs
// on after the launcher's own state has gone: it must read only what it owns,
// and take no requests for a primary that is ending.
TEST(SingleInstanceListener, HeldPastTheStopReadsOnlyWhatItOwnsAndTakesNoRequests) {
    const std::wstring programPath =
        L"C:\\held-listener-" + std::to_wstring(GetCurrentProcessId()) + L"\\MyApp.exe";
    const std::vector<std::wstring> arguments;
    const jl::JvmSession session;
    FaultsOnceFreed<jl::SingleInstanceState> state;
    ASSERT_TRUE(state.valid());
    jl::UniqueHandle listener;
    {
        LoaderLockHold hold;
        ASSERT_TRUE(hold.held());
        ASSERT_TRUE(jl::setupSingleInstance(
            *state, {.programPath = programPath, .enabled = true, .arguments = arguments, .session = session}));
        ASSERT_TRUE(state->isPrimary);
        listener = duplicateThreadHandle(state->listenerThread.get());
        ASSERT_TRUE(listener);
        const ULONGLONG stopStarted = GetTickCount64();
        jl::closeSingleInstance(*state);
        EXPECT_GE(GetTickCount64() - stopStarted, 4500u) << "the stop did not wait for the held listener";
        state.free();  // as the launcher's end leaves it
    }
    const std::optional<DWORD> exitCode = threadExitCode(listener.get(), 10000);
    ASSERT_TRUE(exitCode) << "the listener took requests after the stop";
    EXPECT_EQ(*exitCode, 0u) << "the listener read the launcher's freed state";
    // The block went with the listener's share: a later start leads instead of waiting.
    const jl::UniqueHandle block(OpenFileMappingW(FILE_MAP_READ, FALSE, jl::forwardInstanceName(programPath).c_str()));
    EXPECT_FALSE(block);
}

TEST_F(SingleInstance, ServicesAndCopiesInOtherFoldersRunOnTheirOwn) {
    writeIni(app_, L"Application Type=service\n");
    LaunchedProcess service = start(app_, L"thread=20000");
    ASSERT_TRUE(waitForProbeMainCalls(app_, 1));
    EXPECT_EQ(start(app_, L"").waitForExit(), 0);
    EXPECT_EQ(probeMainCalls(app_), 2u);
    service.terminate(0);

    AppFolder first, second;  // MyApp.exe both, in two folders
    writeIni(first);
    writeIni(second);
    LaunchedProcess firstPrimary = start(first, L"secondaryMain=int;secondaryResult=5;thread=20000");
    ASSERT_TRUE(waitForListeningPrimary(first));
    LaunchedProcess secondPrimary = start(second, L"secondaryMain=int;secondaryResult=6;thread=20000");
    ASSERT_TRUE(waitForListeningPrimary(second));
    EXPECT_TRUE(waitForProbeMainCalls(second, 1));
    EXPECT_EQ(start(second, L"").waitForExit(), 6);
    EXPECT_EQ(start(first, L"").waitForExit(), 5);
    firstPrimary.terminate(0);
    secondPrimary.terminate(0);
}

} // namespace
} // namespace jltest
