#include "probe_world.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <set>
#include <unordered_set>

#include "probe_record.h"
#include "probe_windows.h"

namespace probe {
namespace {

// A fatal error's report, at the name HotSpot gives it: "%p" is the process id.
void writeErrorReport(std::string name) {
    for (size_t at = name.find("%p"); at != std::string::npos; at = name.find("%p", at)) {
        name.replace(at, 2, std::to_string(GetCurrentProcessId()));
    }
    const HANDLE file = CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, "# A fatal error has been detected by the probe runtime\n", 55, &written, nullptr);
    CloseHandle(file);
}

} // namespace

namespace {

struct Ref {
    Object* object;
    bool deleted = false;
};

std::mutex refsLock;
std::unordered_set<Ref*> refs;
VmState state;

constexpr const char* kApplication = nullptr;
constexpr const char* kAnyThrowable = "";

const Method kMethods[] = {
    {"sun/launcher/LauncherHelper", "checkAndLoadMain", "(ZILjava/lang/String;)Ljava/lang/Class;", true,
     Behaviour::CheckAndLoadMain},
    {kApplication, "main", "([Ljava/lang/String;)V", true, Behaviour::Main},
    {kApplication, "main", "()V", true, Behaviour::Main},
    {kApplication, "main", "([Ljava/lang/String;)V", false, Behaviour::Main},
    {kApplication, "main", "()V", false, Behaviour::Main},
    {kApplication, "<init>", "()V", false, Behaviour::NewApplicationObject},
    {kApplication, "secondaryMain", "([Ljava/lang/String;)V", true, Behaviour::SecondaryMain},
    {kApplication, "secondaryMain", "([Ljava/lang/String;)I", true, Behaviour::SecondaryMain},
    {"java/lang/String", "<init>", "([C)V", false, Behaviour::NewString},
    {"java/lang/System", "exit", "(I)V", true, Behaviour::SystemExit},
    {"java/lang/System", "setOut", "(Ljava/io/PrintStream;)V", true, Behaviour::SetOut},
    {"java/lang/System", "setErr", "(Ljava/io/PrintStream;)V", true, Behaviour::SetErr},
    {"java/io/FileOutputStream", "<init>", "(Ljava/lang/String;Z)V", false, Behaviour::NewFileStream},
    {"java/io/PrintStream", "<init>", "(Ljava/io/OutputStream;)V", false, Behaviour::NewPrintStream},
    {"java/io/ByteArrayOutputStream", "<init>", "()V", false, Behaviour::NewMemoryStream},
    {"java/io/ByteArrayOutputStream", "toString", "()Ljava/lang/String;", false, Behaviour::MemoryStreamToString},
    {kAnyThrowable, "printStackTrace", "(Ljava/io/PrintStream;)V", false, Behaviour::PrintStackTrace},
    {kAnyThrowable, "getMessage", "()Ljava/lang/String;", false, Behaviour::ThrowableMessage},
};

// JDK 25's LauncherHelper notes how the main method it chose is called.
const Field kFields[] = {
    {"sun/launcher/LauncherHelper", "isStaticMain", "Z"},
    {"sun/launcher/LauncherHelper", "noArgMain", "Z"},
};

bool mainIsStatic() {
    return state.scenario.mainForm == MainForm::Static || state.scenario.mainForm == MainForm::StaticNoArgs;
}

bool mainTakesArguments() {
    return state.scenario.mainForm == MainForm::Static || state.scenario.mainForm == MainForm::Instance;
}

bool takesArguments(const Method& method) { return std::string_view(method.signature) != "()V"; }

bool isThrowableClass(const std::string& name) {
    return name == "java/lang/Throwable" || name == state.scenario.exceptionClass ||
           (name.starts_with("java/") && (name.ends_with("Error") || name.ends_with("Exception")));
}

bool isRuntimeClass(const std::string& name) {
    static const std::set<std::string> names = {"java/lang/Object",     "java/lang/String",
                                                "java/lang/System",     "java/lang/Class",
                                                "java/io/OutputStream", "java/io/FileOutputStream",
                                                "java/io/PrintStream",  "java/io/ByteArrayOutputStream"};
    if (name == "sun/launcher/LauncherHelper") return state.scenario.launcherHelper != HelperMode::Absent;
    return names.contains(name) || isThrowableClass(name);
}

bool methodPresent(const Method& method) {
    switch (method.behaviour) {
    case Behaviour::CheckAndLoadMain: return state.scenario.launcherHelper != HelperMode::NoMethod;
    case Behaviour::Main:
        return state.scenario.main != MainMode::None && method.isStatic == mainIsStatic() &&
               takesArguments(method) == mainTakesArguments();
    case Behaviour::SecondaryMain:
        return state.scenario.secondaryMain ==
               (std::string_view(method.signature).ends_with('I') ? SecondaryMode::Int : SecondaryMode::Void);
    default: return true;
    }
}

Object* newString(const std::wstring& text) {
    Object* string = newObject(Kind::String, "java/lang/String");
    string->text = text;
    return string;
}

DWORD WINAPI nonDaemonThread(void* parameter) {
    const auto milliseconds = static_cast<DWORD>(reinterpret_cast<uintptr_t>(parameter));
    Sleep(milliseconds);
    recordVisibleWindows("thread-end");
    record("thread-end ms=" + std::to_string(milliseconds));
    return 0;
}

std::string mainNotFound(const std::string& className) {
    return "Error: Main method not found in class " + dotted(className) +
           ", please define the main method as:\r\n   public static void main(String[] args)\r\n"
           "or a JavaFX application class must extend javafx.application.Application";
}

void recordArguments(Object* array) {
    if (!array) {
        record("args count=null");
        return;
    }
    record("args count=" + std::to_string(array->elements.size()));
    for (size_t i = 0; i < array->elements.size(); ++i) {
        const Object* element = array->elements[i];
        record("arg index=" + std::to_string(i) + (element ? " utf16=" + utf16Hex(element->text) : " null=1"));
    }
}

// Why JDK 17's helper refuses the application class's main, empty when it takes
// it: it runs a static main(String[]) only.
std::string refusalBeforeJdk25(const std::string& className) {
    if (!mainTakesArguments()) return mainNotFound(className);
    if (!mainIsStatic()) {
        return "Error: Main method is not static in class " + dotted(className) +
               ", please define the main method as:\r\n   public static void main(String[] args)";
    }
    return {};
}

// JDK 17's LauncherHelper (JDK 25's also takes every form of main, and notes the
// one it chose in its fields): checks the class and its main method, and on a
// failure prints the reason and ends the VM with status 1.
Object* checkAndLoadMain(bool printErrors, jint mode, Object* name) {
    const std::wstring text = name ? name->text : L"";
    record("check-and-load-main printErrors=" + std::to_string(printErrors) + " mode=" + std::to_string(mode) +
           " name=" + utf16Hex(text));
    if (state.scenario.launcherHelper == HelperMode::ReturnsNull) return nullptr;
    std::string className = utf8(text);
    std::replace(className.begin(), className.end(), '.', '/');
    std::string failure;
    if (!isApplicationClass(className)) {
        failure = "Error: Could not find or load main class " + dotted(className) +
                  "\r\nCaused by: java.lang.ClassNotFoundException: " + dotted(className);
    } else if (state.scenario.main == MainMode::None) {
        failure = mainNotFound(className);
    } else if (state.scenario.launcherHelper != HelperMode::Jdk25) {
        failure = refusalBeforeJdk25(className);
    }
    if (failure.empty()) {
        state.isStaticMain = mainIsStatic();
        state.noArgMain = !mainTakesArguments();
        return newObject(Kind::Class, className);
    }
    if (!printErrors) {
        throwNew("java/lang/Error", fromUtf8(failure));
        return nullptr;
    }
    writeToStream(state.err, failure + "\r\n");
    exitVm(1);
}

void runMain(const std::string& className) {
    if (state.scenario.threadMs > 0) {
        const HANDLE thread = CreateThread(nullptr, 0, nonDaemonThread,
                                           reinterpret_cast<void*>(uintptr_t{state.scenario.threadMs}), 0, nullptr);
        if (thread) state.threads.push_back(thread);
    }
    if (!state.scenario.out.empty()) writeToStream(state.out, state.scenario.out);
    if (!state.scenario.err.empty()) writeToStream(state.err, state.scenario.err);
    showWindowAndWait(state.scenario.windowAfterMs, state.scenario.waitMs);
    switch (state.scenario.main) {
    case MainMode::Throw: {
        const std::wstring trace =
            !state.scenario.trace.empty()
                ? state.scenario.trace
                : fromUtf8(dotted(state.scenario.exceptionClass) + ": probe failure\r\n\tat " + dotted(className) +
                           ".main(Main.java)\r\n");
        Object* throwable = newObject(Kind::Throwable, state.scenario.exceptionClass);
        throwable->text = trace;
        pendingException() = throwable;
        break;
    }
    case MainMode::Exit: exitVm(state.scenario.status);
    case MainMode::Abort:
        if (!state.errorFile.empty()) writeErrorReport(state.errorFile);
        if (state.abortHook) {
            record("abort-hook");
            state.abortHook();
        }
        ExitProcess(3);  // what the C runtime's abort() leaves as the exit code
    default: break;
    }
}

// FileOutputStream(String, boolean) opens the file for real, so a redirection
// can be seen in the file system.
void openFileStream(Object* self, Object* name, bool append) {
    const std::wstring path = name ? name->text : L"";
    const HANDLE file = CreateFileW(path.c_str(), append ? FILE_APPEND_DATA : GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, append ? OPEN_ALWAYS : CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    const DWORD error = GetLastError();
    const bool opened = file != INVALID_HANDLE_VALUE;
    record("file-output-stream name=" + utf16Hex(path) + " append=" + std::to_string(append) +
           " opened=" + std::to_string(opened));
    if (!opened) {
        throwNew("java/io/FileNotFoundException", path + L" (Windows error " + std::to_wstring(error) + L")");
        return;
    }
    state.files.push_back(file);
    self->file = file;
    self->text = path;
    self->append = append;
}

void setStandardStream(const char* event, Object*& slot, Object* printStream) {
    const Object* target = printStream ? printStream->target : nullptr;
    std::string line = std::string(event) + " target=";
    if (!target) {
        line += "null";
    } else if (target->kind == Kind::FileStream) {
        line += "file name=" + utf16Hex(target->text) + " append=" + std::to_string(target->append);
    } else {
        line += target->kind == Kind::MemoryStream ? "memory" : "standard";
    }
    record(line);
    if (printStream) slot = printStream;
}

} // namespace

Object* newObject(Kind kind, std::string className) {
    Object* object = new Object;
    object->kind = kind;
    object->className = std::move(className);
    return object;
}

std::string dotted(std::string name) {
    std::replace(name.begin(), name.end(), '/', '.');
    return name;
}

jobject localRef(Object* object) {
    if (!object) return nullptr;
    Ref* ref = new Ref{object};
    const std::lock_guard guard(refsLock);
    refs.insert(ref);
    return reinterpret_cast<jobject>(ref);
}

Object* deref(jobject handle, const char* function) {
    if (!handle) return nullptr;
    Ref* ref = reinterpret_cast<Ref*>(handle);
    {
        const std::lock_guard guard(refsLock);
        if (refs.contains(ref) && !ref->deleted) return ref->object;
    }
    record(std::string("bad-reference function=") + function);
    return nullptr;
}

void deleteRef(jobject handle) {
    if (!handle || !deref(handle, "DeleteLocalRef")) return;
    const std::lock_guard guard(refsLock);
    reinterpret_cast<Ref*>(handle)->deleted = true;
}

Object*& pendingException() {
    thread_local Object* pending = nullptr;
    return pending;
}

void throwNew(const std::string& className, const std::wstring& message) {
    Object* throwable = newObject(Kind::Throwable, className);
    throwable->text = fromUtf8(dotted(className)) + (message.empty() ? L"" : L": " + message) + L"\r\n";
    throwable->message = message;
    pendingException() = throwable;
}

VmState& vm() { return state; }

void startVm(const Scenario& scenario, void(JNICALL* exitHook)(jint), void(JNICALL* abortHook)()) {
    state = VmState{};
    state.scenario = scenario;
    state.exitHook = exitHook;
    state.abortHook = abortHook;
    for (auto [slot, handle] : {std::pair{&state.out, STD_OUTPUT_HANDLE}, std::pair{&state.err, STD_ERROR_HANDLE}}) {
        Object* standard = newObject(Kind::StandardStream, "java/io/FileOutputStream");
        standard->standardHandle = handle;
        *slot = newObject(Kind::PrintStream, "java/io/PrintStream");
        (*slot)->target = standard;
    }
}

void endVm() {
    for (const HANDLE thread : state.threads) {
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
    }
    for (const HANDLE file : state.files) CloseHandle(file);
    state = VmState{};
    pendingException() = nullptr;
}

bool isApplicationClass(const std::string& name) {
    if (name.empty() || name.find('.') != std::string::npos || isRuntimeClass(name)) return false;
    for (const char* reserved : {"java/", "javax/", "sun/", "jdk/"}) {
        if (name.starts_with(reserved)) return false;
    }
    return state.scenario.mainClass.empty() || name == state.scenario.mainClass;
}

bool classExists(const std::string& name) { return isRuntimeClass(name) || isApplicationClass(name); }

const Method* findMethod(const std::string& className, const std::string& name, const std::string& signature,
                         bool isStatic) {
    for (const Method& method : kMethods) {
        const bool classMatches = method.className == kApplication    ? isApplicationClass(className)
                                  : *method.className == '\0' ? isThrowableClass(className)
                                                              : className == method.className;
        if (classMatches && name == method.name && signature == method.signature && isStatic == method.isStatic &&
            methodPresent(method)) {
            return &method;
        }
    }
    return nullptr;
}

bool isMethod(const void* id) {
    return id >= static_cast<const void*>(std::begin(kMethods)) && id < static_cast<const void*>(std::end(kMethods));
}

const Field* findStaticField(const std::string& className, const std::string& name, const std::string& signature) {
    if (state.scenario.launcherHelper != HelperMode::Jdk25) return nullptr;
    for (const Field& field : kFields) {
        if (className == field.className && name == field.name && signature == field.signature) return &field;
    }
    return nullptr;
}

bool isField(const void* id) {
    return id >= static_cast<const void*>(std::begin(kFields)) && id < static_cast<const void*>(std::end(kFields));
}

jboolean staticBooleanValue(const Field& field) {
    return std::string_view(field.name) == "isStaticMain" ? state.isStaticMain : state.noArgMain;
}

bool isSubclassOf(std::string name, const std::string& ancestor) {
    static const std::map<std::string, std::string> superclasses = {
        {"java/lang/ExceptionInInitializerError", "java/lang/LinkageError"},
        {"java/lang/NoClassDefFoundError", "java/lang/LinkageError"},
        {"java/lang/UnsupportedClassVersionError", "java/lang/ClassFormatError"},
        {"java/lang/ClassFormatError", "java/lang/LinkageError"},
        {"java/lang/NoSuchMethodError", "java/lang/IncompatibleClassChangeError"},
        {"java/lang/NoSuchFieldError", "java/lang/IncompatibleClassChangeError"},
        {"java/lang/IncompatibleClassChangeError", "java/lang/LinkageError"},
        {"java/lang/LinkageError", "java/lang/Error"},
        {"java/lang/Error", "java/lang/Throwable"},
        {"java/lang/Exception", "java/lang/Throwable"},
        {"java/lang/Throwable", "java/lang/Object"}};
    while (!name.empty()) {
        if (name == ancestor) return true;
        if (name == "java/lang/Object") return false;
        const auto known = superclasses.find(name);
        if (known != superclasses.end()) name = known->second;
        else if (isThrowableClass(name)) name = name.ends_with("Error") ? "java/lang/Error" : "java/lang/Exception";
        else name = "java/lang/Object";
    }
    return false;
}

Kind kindOfInstance(const std::string& className) {
    if (className == "java/lang/String") return Kind::String;
    if (className == "java/io/FileOutputStream") return Kind::FileStream;
    if (className == "java/io/PrintStream") return Kind::PrintStream;
    if (className == "java/io/ByteArrayOutputStream") return Kind::MemoryStream;
    return isApplicationClass(className) ? Kind::Instance : Kind::Throwable;
}

jvalue invoke(const Method& method, Object* self, const std::string& className, const jvalue* args) {
    jvalue result{};
    const auto object = [&](int index) { return deref(args[index].l, method.name); };
    switch (method.behaviour) {
    case Behaviour::CheckAndLoadMain:
        result.l = localRef(checkAndLoadMain(args[0].z, args[1].i, object(2)));
        break;
    case Behaviour::Main:
        if (takesArguments(method)) recordArguments(object(0));
        runMain(className);
        break;
    case Behaviour::NewApplicationObject: break;
    case Behaviour::SecondaryMain:
        recordArguments(object(0));
        result.i = state.scenario.secondaryResult;
        break;
    case Behaviour::NewString:
        if (const Object* chars = object(0)) self->text = chars->text;
        else throwNew("java/lang/NullPointerException", L"");
        break;
    case Behaviour::SystemExit: exitVm(args[0].i);
    case Behaviour::SetOut: setStandardStream("set-out", state.out, object(0)); break;
    case Behaviour::SetErr: setStandardStream("set-err", state.err, object(0)); break;
    case Behaviour::NewFileStream: openFileStream(self, object(0), args[1].z); break;
    case Behaviour::NewPrintStream:
        if (!(self->target = object(0))) throwNew("java/lang/NullPointerException", L"");
        break;
    case Behaviour::NewMemoryStream: break;
    case Behaviour::MemoryStreamToString: result.l = localRef(newString(fromUtf8(self->bytes))); break;
    case Behaviour::PrintStackTrace: writeToStream(object(0), utf8(self->text)); break;
    case Behaviour::ThrowableMessage: result.l = localRef(newString(self->message)); break;
    }
    return result;
}

void writeToStream(Object* stream, const std::string& bytes) {
    while (stream && stream->kind == Kind::PrintStream) stream = stream->target;
    if (!stream) return;
    if (stream->kind == Kind::MemoryStream) {
        stream->bytes += bytes;
        return;
    }
    const HANDLE file = stream->kind == Kind::StandardStream ? GetStdHandle(stream->standardHandle) : stream->file;
    DWORD written = 0;
    if (file && file != INVALID_HANDLE_VALUE) {
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    }
}

void exitVm(jint status) {
    record("system-exit status=" + std::to_string(status));
    if (state.exitHook) {
        record("exit-hook status=" + std::to_string(status));
        state.exitHook(status);
    }
    ExitProcess(static_cast<UINT>(status));
}

} // namespace probe
