#include "probe_jni.h"

#include <windows.h>

#include <array>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <type_traits>
#include <utility>

#include "jdk11_init_args.h"
#include "probe_record.h"
#include "probe_windows.h"
#include "probe_world.h"

namespace probe {
namespace {

std::string hex32(jint value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(value));
    return text;
}

std::string flag(bool value) { return value ? "1" : "0"; }

std::string text(const char* bytes) { return percentEncoded(bytes ? bytes : ""); }

bool supportedVersion(jint version) {
    for (const jint supported : {0x00010002, 0x00010004, 0x00010006, 0x00010008, 0x00090000, 0x000A0000}) {
        if (version == supported) return true;
    }
    return false;
}

Object* derefKind(jobject handle, Kind kind, const char* function) {
    Object* object = deref(handle, function);
    if (object && object->kind != kind) {
        record(std::string("bad-reference function=") + function);
        return nullptr;
    }
    return object;
}

const Method* methodOf(jmethodID id, const char* function) {
    if (isMethod(id)) return reinterpret_cast<const Method*>(id);
    record(std::string("bad-method-id function=") + function);
    return nullptr;
}

// Reads the arguments that a signature promises from a va_list, with C's promotions.
std::vector<jvalue> argumentsFrom(const Method& method, va_list list) {
    std::vector<jvalue> args;
    for (const char* type = method.signature + 1; *type && *type != ')'; ++type) {
        jvalue value{};
        switch (*type) {
        case 'Z': value.z = static_cast<jboolean>(va_arg(list, int)); break;
        case 'B': value.b = static_cast<jbyte>(va_arg(list, int)); break;
        case 'C': value.c = static_cast<jchar>(va_arg(list, int)); break;
        case 'S': value.s = static_cast<jshort>(va_arg(list, int)); break;
        case 'I': value.i = va_arg(list, jint); break;
        case 'J': value.j = va_arg(list, jlong); break;
        case 'F': value.f = static_cast<jfloat>(va_arg(list, double)); break;
        case 'D': value.d = va_arg(list, double); break;
        default:
            value.l = va_arg(list, jobject);
            while (*type == '[') ++type;
            if (*type == 'L') type = std::strchr(type, ';');
        }
        args.push_back(value);
    }
    return args;
}

// HotSpot's functions that allocate or may run Java code return at once (null,
// 0, nothing done) while an exception is pending: they check for a pending
// exception after their first step, whoever raised it. Such a call is recorded.
bool blockedByPendingException(const std::string& function) {
    const Object* pending = pendingException();
    if (!pending) return false;
    record("pending-exception function=" + function + " class=" + percentEncoded(pending->className));
    return true;
}

void recordCall(const std::string& className, const Method& method) {
    record("call class=" + percentEncoded(className) + " method=" + text(method.name) +
           " signature=" + text(method.signature));
}

jvalue callJava(const std::string& function, jobject target, jmethodID id, const jvalue* args) {
    const Method* method = methodOf(id, function.c_str());
    Object* object = deref(target, function.c_str());
    if (!method || !object || blockedByPendingException(function)) return jvalue{};
    recordCall(object->className, *method);
    return invoke(*method, method->isStatic ? nullptr : object, object->className, args);
}

template <typename Result>
Result resultAs(const jvalue& value) {
    if constexpr (std::is_void_v<Result>) return;
    else if constexpr (std::is_same_v<Result, jint>) return value.i;
    else return static_cast<Result>(value.l);
}

template <typename Result, typename Target>
Result JNICALL callA(JNIEnv*, Target target, jmethodID id, const jvalue* args) {
    const std::string function = std::string("Call") + (std::is_same_v<Target, jclass> ? "Static" : "") +
                                 (std::is_void_v<Result> ? "Void" : std::is_same_v<Result, jint> ? "Int" : "Object") +
                                 "Method";
    return resultAs<Result>(callJava(function, target, id, args));
}

template <typename Result, typename Target>
Result JNICALL callV(JNIEnv* env, Target target, jmethodID id, va_list list) {
    const std::vector<jvalue> args = isMethod(id) ? argumentsFrom(*reinterpret_cast<const Method*>(id), list)
                                                  : std::vector<jvalue>{};
    return callA<Result, Target>(env, target, id, args.data());
}

template <typename Result, typename Target>
Result JNICALL call(JNIEnv* env, Target target, jmethodID id, ...) {
    va_list list;
    va_start(list, id);
    // va_end once the call is over, also when Result is void and cannot be held.
    struct End {
        va_list& list;
        ~End() { va_end(list); }
    } end{list};
    return callV<Result, Target>(env, target, id, list);
}

jobject JNICALL newObjectA(JNIEnv*, jclass type, jmethodID id, const jvalue* args) {
    const Method* method = methodOf(id, "NewObject");
    const Object* classObject = derefKind(type, Kind::Class, "NewObject");
    if (!method || !classObject || blockedByPendingException("NewObject")) return nullptr;
    recordCall(classObject->className, *method);
    Object* self = newObject(kindOfInstance(classObject->className), classObject->className);
    invoke(*method, self, classObject->className, args);
    return pendingException() ? nullptr : localRef(self);
}

jobject JNICALL newObjectV(JNIEnv* env, jclass type, jmethodID id, va_list list) {
    const std::vector<jvalue> args = isMethod(id) ? argumentsFrom(*reinterpret_cast<const Method*>(id), list)
                                                  : std::vector<jvalue>{};
    return newObjectA(env, type, id, args.data());
}

jobject JNICALL newObjectVariadic(JNIEnv* env, jclass type, jmethodID id, ...) {
    va_list list;
    va_start(list, id);
    const jobject object = newObjectV(env, type, id, list);
    va_end(list);
    return object;
}

// As in HotSpot, loading the class runs its static initialiser, whose exception
// comes out wrapped in ExceptionInInitializerError.
void throwFromInitializer(const std::string& className) {
    const std::string cause = dotted(vm().scenario.exceptionClass);
    throwNew("java/lang/ExceptionInInitializerError", L"");
    pendingException()->text += fromUtf8("Caused by: " + cause + ": probe failure\r\n\tat " + dotted(className) +
                                         ".<clinit>(Main.java)\r\n");
}

jclass JNICALL findClass(JNIEnv*, const char* name) {
    if (blockedByPendingException("FindClass")) return nullptr;
    const std::string className = name ? name : "";
    const bool found = classExists(className);
    record("find-class name=" + percentEncoded(className) + " found=" + flag(found));
    if (!found) {
        throwNew("java/lang/NoClassDefFoundError", fromUtf8(className));
        return nullptr;
    }
    if (vm().scenario.initializerThrows && isApplicationClass(className)) {
        throwFromInitializer(className);
        return nullptr;
    }
    return static_cast<jclass>(localRef(newObject(Kind::Class, className)));
}

jmethodID lookUpMethod(const char* event, jclass type, const char* name, const char* signature, bool isStatic) {
    if (blockedByPendingException(isStatic ? "GetStaticMethodID" : "GetMethodID")) return nullptr;
    const Object* classObject = derefKind(type, Kind::Class, event);
    const Method* method = classObject && name && signature
                               ? findMethod(classObject->className, name, signature, isStatic)
                               : nullptr;
    record(std::string(event) + " class=" + percentEncoded(classObject ? classObject->className : "") +
           " name=" + text(name) + " signature=" + text(signature) + " found=" + flag(method));
    if (!method) throwNew("java/lang/NoSuchMethodError", fromUtf8(name ? name : ""));
    return reinterpret_cast<jmethodID>(const_cast<Method*>(method));
}

jmethodID JNICALL getMethodId(JNIEnv*, jclass type, const char* name, const char* signature) {
    return lookUpMethod("get-method", type, name, signature, false);
}

jmethodID JNICALL getStaticMethodId(JNIEnv*, jclass type, const char* name, const char* signature) {
    return lookUpMethod("get-static-method", type, name, signature, true);
}

jfieldID JNICALL getStaticFieldId(JNIEnv*, jclass type, const char* name, const char* signature) {
    if (blockedByPendingException("GetStaticFieldID")) return nullptr;
    const Object* classObject = derefKind(type, Kind::Class, "GetStaticFieldID");
    const Field* field =
        classObject && name && signature ? findStaticField(classObject->className, name, signature) : nullptr;
    record("get-static-field class=" + percentEncoded(classObject ? classObject->className : "") +
           " name=" + text(name) + " signature=" + text(signature) + " found=" + flag(field));
    if (!field) throwNew("java/lang/NoSuchFieldError", fromUtf8(name ? name : ""));
    return reinterpret_cast<jfieldID>(const_cast<Field*>(field));
}

jboolean JNICALL getStaticBooleanField(JNIEnv*, jclass type, jfieldID id) {
    if (!derefKind(type, Kind::Class, "GetStaticBooleanField")) return JNI_FALSE;
    if (!isField(id)) {
        record("bad-field-id function=GetStaticBooleanField");
        return JNI_FALSE;
    }
    return staticBooleanValue(*reinterpret_cast<const Field*>(id));
}

jboolean JNICALL isInstanceOf(JNIEnv*, jobject handle, jclass type) {
    const Object* object = deref(handle, "IsInstanceOf");
    const Object* classObject = derefKind(type, Kind::Class, "IsInstanceOf");
    if (!object || !classObject) return JNI_FALSE;
    return isSubclassOf(object->kind == Kind::Class ? "java/lang/Class" : object->className, classObject->className);
}

jboolean JNICALL isAssignableFrom(JNIEnv*, jclass type, jclass target) {
    const Object* from = derefKind(type, Kind::Class, "IsAssignableFrom");
    const Object* to = derefKind(target, Kind::Class, "IsAssignableFrom");
    return from && to && isSubclassOf(from->className, to->className);
}

jclass JNICALL getObjectClass(JNIEnv*, jobject handle) {
    const Object* object = deref(handle, "GetObjectClass");
    record("get-object-class class=" + percentEncoded(object ? object->className : ""));
    return object ? static_cast<jclass>(localRef(newObject(Kind::Class, object->className))) : nullptr;
}

jcharArray JNICALL newCharArray(JNIEnv*, jsize length) {
    if (blockedByPendingException("NewCharArray")) return nullptr;
    if (length < 0) {
        throwNew("java/lang/NegativeArraySizeException", std::to_wstring(length));
        return nullptr;
    }
    Object* array = newObject(Kind::CharArray, "[C");
    array->text.assign(static_cast<size_t>(length), L'\0');
    return static_cast<jcharArray>(localRef(array));
}

void JNICALL setCharArrayRegion(JNIEnv*, jcharArray handle, jsize start, jsize length, const jchar* chars) {
    Object* array = derefKind(handle, Kind::CharArray, "SetCharArrayRegion");
    if (!array) return;
    if (start < 0 || length < 0 || static_cast<size_t>(start) + length > array->text.size()) {
        throwNew("java/lang/ArrayIndexOutOfBoundsException", L"Array region out of bounds");
        return;
    }
    std::copy(chars, chars + length, array->text.begin() + start);
}

jobjectArray JNICALL newObjectArray(JNIEnv*, jsize length, jclass elementType, jobject initial) {
    if (blockedByPendingException("NewObjectArray")) return nullptr;
    const Object* elementClass = derefKind(elementType, Kind::Class, "NewObjectArray");
    if (!elementClass || length < 0) {
        throwNew(length < 0 ? "java/lang/NegativeArraySizeException" : "java/lang/NullPointerException", L"");
        return nullptr;
    }
    Object* array = newObject(Kind::ObjectArray, "[L" + elementClass->className + ";");
    array->elements.assign(static_cast<size_t>(length), deref(initial, "NewObjectArray"));
    return static_cast<jobjectArray>(localRef(array));
}

void JNICALL setObjectArrayElement(JNIEnv*, jobjectArray handle, jsize index, jobject value) {
    Object* array = derefKind(handle, Kind::ObjectArray, "SetObjectArrayElement");
    if (!array) return;
    if (index < 0 || static_cast<size_t>(index) >= array->elements.size()) {
        throwNew("java/lang/ArrayIndexOutOfBoundsException", std::to_wstring(index));
        return;
    }
    array->elements[index] = deref(value, "SetObjectArrayElement");
}

void JNICALL deleteLocalRef(JNIEnv*, jobject handle) { deleteRef(handle); }

// A global reference is a record of its own too, so it outlives the local one it came from.
jobject JNICALL newGlobalRef(JNIEnv*, jobject handle) { return localRef(deref(handle, "NewGlobalRef")); }

void JNICALL deleteGlobalRef(JNIEnv*, jobject handle) { deleteRef(handle); }

// Local frames are not tracked: references live until the process ends.
jint JNICALL pushLocalFrame(JNIEnv*, jint) { return JNI_OK; }

jobject JNICALL popLocalFrame(JNIEnv*, jobject result) { return result; }

// Modified UTF-8: NUL as two bytes, each surrogate on its own as three.
const char* JNICALL getStringUtfChars(JNIEnv*, jstring handle, jboolean* isCopy) {
    const Object* string = derefKind(handle, Kind::String, "GetStringUTFChars");
    if (!string) return nullptr;
    std::string bytes;
    for (const wchar_t unit : string->text) {
        if (unit != 0 && unit < 0x80) {
            bytes += static_cast<char>(unit);
        } else if (unit < 0x800) {
            bytes += static_cast<char>(0xC0 | (unit >> 6));
            bytes += static_cast<char>(0x80 | (unit & 0x3F));
        } else {
            bytes += static_cast<char>(0xE0 | (unit >> 12));
            bytes += static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
            bytes += static_cast<char>(0x80 | (unit & 0x3F));
        }
    }
    if (isCopy) *isCopy = JNI_TRUE;
    char* copy = new char[bytes.size() + 1];
    std::memcpy(copy, bytes.c_str(), bytes.size() + 1);
    return copy;
}

void JNICALL releaseStringUtfChars(JNIEnv*, jstring, const char* chars) { delete[] chars; }

jthrowable JNICALL exceptionOccurred(JNIEnv*) { return static_cast<jthrowable>(localRef(pendingException())); }

jboolean JNICALL exceptionCheck(JNIEnv*) { return pendingException() ? JNI_TRUE : JNI_FALSE; }

jint JNICALL throwException(JNIEnv*, jthrowable handle) {
    Object* throwable = derefKind(handle, Kind::Throwable, "Throw");
    if (!throwable) return JNI_ERR;
    pendingException() = throwable;
    return JNI_OK;
}

void JNICALL exceptionDescribe(JNIEnv*) {
    Object* throwable = std::exchange(pendingException(), nullptr);
    if (!throwable) return;
    record("exception-describe class=" + percentEncoded(throwable->className));
    writeToStream(vm().err, utf8(throwable->text));
}

void JNICALL exceptionClear(JNIEnv*) {
    const Object* throwable = std::exchange(pendingException(), nullptr);
    record("exception-clear class=" + percentEncoded(throwable ? throwable->className : ""));
}

// Every slot the launcher has no business calling records its index in the JNI
// function table and returns 0.
template <size_t Slot>
void* JNICALL unexpectedCall() {
    record("unexpected-jni index=" + std::to_string(Slot));
    return nullptr;
}

template <size_t... Slots>
std::array<void*, sizeof...(Slots)> unexpectedCalls(std::index_sequence<Slots...>) {
    return {reinterpret_cast<void*>(&unexpectedCall<Slots>)...};
}

JNINativeInterface_ makeNativeInterface() {
    JNINativeInterface_ table;
    static_assert(sizeof table % sizeof(void*) == 0);
    const auto stubs = unexpectedCalls(std::make_index_sequence<sizeof table / sizeof(void*)>{});
    std::memcpy(&table, stubs.data(), sizeof table);
    table.reserved0 = table.reserved1 = table.reserved2 = table.reserved3 = nullptr;
    table.FindClass = findClass;
    table.GetMethodID = getMethodId;
    table.GetStaticMethodID = getStaticMethodId;
    table.GetObjectClass = getObjectClass;
    table.NewObject = newObjectVariadic;
    table.NewObjectV = newObjectV;
    table.NewObjectA = newObjectA;
    table.NewCharArray = newCharArray;
    table.SetCharArrayRegion = setCharArrayRegion;
    table.NewObjectArray = newObjectArray;
    table.SetObjectArrayElement = setObjectArrayElement;
    table.DeleteLocalRef = deleteLocalRef;
    table.NewGlobalRef = newGlobalRef;
    table.DeleteGlobalRef = deleteGlobalRef;
    table.PushLocalFrame = pushLocalFrame;
    table.PopLocalFrame = popLocalFrame;
    table.GetStaticFieldID = getStaticFieldId;
    table.GetStaticBooleanField = getStaticBooleanField;
    table.IsInstanceOf = isInstanceOf;
    table.IsAssignableFrom = isAssignableFrom;
    table.ExceptionCheck = exceptionCheck;
    table.Throw = throwException;
    table.GetStringUTFChars = getStringUtfChars;
    table.ReleaseStringUTFChars = releaseStringUtfChars;
    table.ExceptionOccurred = exceptionOccurred;
    table.ExceptionDescribe = exceptionDescribe;
    table.ExceptionClear = exceptionClear;
    table.CallStaticVoidMethod = call<void, jclass>;
    table.CallStaticVoidMethodV = callV<void, jclass>;
    table.CallStaticVoidMethodA = callA<void, jclass>;
    table.CallStaticIntMethod = call<jint, jclass>;
    table.CallStaticIntMethodV = callV<jint, jclass>;
    table.CallStaticIntMethodA = callA<jint, jclass>;
    table.CallStaticObjectMethod = call<jobject, jclass>;
    table.CallStaticObjectMethodV = callV<jobject, jclass>;
    table.CallStaticObjectMethodA = callA<jobject, jclass>;
    table.CallVoidMethod = call<void, jobject>;
    table.CallVoidMethodV = callV<void, jobject>;
    table.CallVoidMethodA = callA<void, jobject>;
    table.CallObjectMethod = call<jobject, jobject>;
    table.CallObjectMethodV = callV<jobject, jobject>;
    table.CallObjectMethodA = callA<jobject, jobject>;
    return table;
}

const JNINativeInterface_ nativeInterface = makeNativeInterface();
JNIEnv environment{&nativeInterface};
bool created = false;

// Whether the calling thread is in the VM: since JNI_CreateJavaVM on it or an
// attach, until it detaches or the VM ends.
thread_local bool threadAttached = false;

void recordAttach(const char* by, jint result) {
    record("attach thread=" + std::to_string(GetCurrentThreadId()) + " by=" + by + " result=" + std::to_string(result));
}

void recordDetach(const char* by, jint result) {
    record("detach thread=" + std::to_string(GetCurrentThreadId()) + " by=" + by + " result=" + std::to_string(result));
}

// HotSpot attaches a thread that calls it unattached and lets it go at the end,
// which nets out; the VM's end takes a caller that was attached out with it.
jint JNICALL destroyJavaVm(JavaVM*) {
    endVm();  // returns once the non-daemon threads have ended
    created = false;
    if (std::exchange(threadAttached, false)) recordDetach("DestroyJavaVM", JNI_OK);
    record("destroy");
    return JNI_OK;
}

jint attachThread(const char* by, void** env) {
    const jint result = created && env ? JNI_OK : JNI_ERR;
    recordAttach(by, result);
    if (result != JNI_OK) return result;
    *env = &environment;
    threadAttached = true;
    return JNI_OK;
}

jint JNICALL attachCurrentThread(JavaVM*, void** env, void*) { return attachThread("AttachCurrentThread", env); }

jint JNICALL attachCurrentThreadAsDaemon(JavaVM*, void** env, void*) {
    return attachThread("AttachCurrentThreadAsDaemon", env);
}

jint JNICALL detachCurrentThread(JavaVM*) {
    const jint result = vm().scenario.detachResult;
    recordDetach("DetachCurrentThread", result);
    if (result == JNI_OK) threadAttached = false;
    return result;
}

jint JNICALL getEnv(JavaVM*, void** env, jint version) {
    if (!created) return JNI_EDETACHED;
    if (!supportedVersion(version)) return JNI_EVERSION;
    *env = &environment;
    return JNI_OK;
}

const JNIInvokeInterface_ invokeInterface{nullptr,       nullptr, nullptr, destroyJavaVm, attachCurrentThread,
                                          detachCurrentThread, getEnv,  attachCurrentThreadAsDaemon};
JavaVM javaVm{&invokeInterface};

// The calling thread's stack: the whole reservation it lives in, and how much of
// that is committed.
void recordStack() {
    MEMORY_BASIC_INFORMATION info{};
    VirtualQuery(&info, &info, sizeof info);
    const void* base = info.AllocationBase;
    SIZE_T reserved = 0;
    SIZE_T committed = 0;
    for (auto* address = static_cast<const char*>(base);
         VirtualQuery(address, &info, sizeof info) && info.AllocationBase == base; address += info.RegionSize) {
        reserved += info.RegionSize;
        if (info.State == MEM_COMMIT) committed += info.RegionSize;
    }
    record("stack thread=" + std::to_string(GetCurrentThreadId()) + " reserved=" + std::to_string(reserved) +
           " committed=" + std::to_string(committed));
}

} // namespace

jint getDefaultJavaVmInitArgs(void* args) {
    const Scenario scenario = loadScenario();
    if (!args) return JNI_EINVAL;
    auto* record11 = static_cast<JDK1_1InitArgs*>(args);
    record("default-args version=" + hex32(record11->version));
    if (record11->version != JNI_VERSION_1_1) return supportedVersion(record11->version) ? JNI_OK : JNI_EVERSION;
    // HotSpot still fills a JDK 1.1 record, but answers that the version is not supported.
    record11->version = JNI_VERSION_1_2;
    record11->javaStackSize = scenario.defaultStackSize;
    return JNI_ERR;
}

std::wstring currentDirectory() {
    wchar_t folder[MAX_PATH] = L"";
    const DWORD length = GetCurrentDirectoryW(MAX_PATH, folder);
    return std::wstring(folder, length < MAX_PATH ? length : 0);
}

using PrintHook = jint(JNICALL*)(FILE*, const char*, va_list);

// As HotSpot prints its own messages: through the "vfprintf" hook when there is
// one, else to its C library's standard error.
void sayAsTheVm(PrintHook hook, const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    if (hook) {
        hook(stderr, format, arguments);
    } else {
        vfprintf(stderr, format, arguments);
    }
    va_end(arguments);
}

jint createJavaVm(JavaVM** vmOut, void** envOut, void* rawArgs) {
    const Scenario scenario = loadScenario();
    const auto* args = static_cast<const JavaVMInitArgs*>(rawArgs);
    if (!vmOut || !envOut || !args) return JNI_EINVAL;
    record("create version=" + hex32(args->version) + " options=" + std::to_string(args->nOptions) +
           " ignoreUnrecognized=" + std::to_string(args->ignoreUnrecognized) +
           " thread=" + std::to_string(GetCurrentThreadId()) + " cwd=" + utf16Hex(currentDirectory()));
    void(JNICALL * exitHook)(jint) = nullptr;
    void(JNICALL * abortHook)() = nullptr;
    PrintHook printHook = nullptr;
    std::string errorFile;
    for (jint i = 0; i < args->nOptions; ++i) {
        const JavaVMOption& option = args->options[i];
        const std::string optionText = option.optionString ? option.optionString : "";
        record("option index=" + std::to_string(i) + " text=" + percentEncoded(optionText) +
               " extraInfo=" + flag(option.extraInfo));
        if (optionText == "exit") exitHook = reinterpret_cast<void(JNICALL*)(jint)>(option.extraInfo);
        if (optionText == "abort") abortHook = reinterpret_cast<void(JNICALL*)()>(option.extraInfo);
        if (optionText == "vfprintf") printHook = reinterpret_cast<PrintHook>(option.extraInfo);
        if (optionText.starts_with("-XX:ErrorFile=")) errorFile = optionText.substr(14);
    }
    if (!scenario.vmSays.empty()) sayAsTheVm(printHook, "%s (%d)\n", scenario.vmSays.c_str(), 42);
    recordStack();
    jint result = scenario.createResult;
    if (created) result = JNI_EEXIST;
    else if (!supportedVersion(args->version)) result = JNI_EVERSION;
    if (scenario.createDelayMs) Sleep(scenario.createDelayMs);
    recordVisibleWindows("create-return");
    record("create-result value=" + std::to_string(result));
    if (result != JNI_OK) return result;
    created = true;
    threadAttached = true;
    recordAttach("JNI_CreateJavaVM", JNI_OK);
    startVm(scenario, exitHook, abortHook);
    vm().errorFile = errorFile;
    // A real jvm.dll needs libraries from its runtime's bin folder; loading
    // java.dll by name shows in the record whether that folder is searched.
    LoadLibraryW(L"java.dll");
    *vmOut = &javaVm;
    *envOut = &environment;
    return JNI_OK;
}

jint getCreatedJavaVms(JavaVM** vms, jsize capacity, jsize* count) {
    if (count) *count = created ? 1 : 0;
    if (created && vms && capacity > 0) vms[0] = &javaVm;
    return JNI_OK;
}

jclass findClassFromBootLoader(JNIEnv*, const char* name) {
    const std::string className = name ? name : "";
    const bool found = classExists(className) && !isApplicationClass(className);
    record("find-class-from-boot-loader name=" + percentEncoded(className) + " found=" + flag(found));
    return found ? static_cast<jclass>(localRef(newObject(Kind::Class, className))) : nullptr;
}

} // namespace probe
