// The Windows JNIEnv and JavaVM function tables: ms_abi entries that forward to
// HotSpot's System V tables. The JNIEnv table is filled from the slot list that
// the build generates from the JDK's jni.h; templates deduce each slot's
// parameters from the real table's member type.

#include <jvmti.h>

#include <memory>
#include <string_view>
#include <mutex>
#include <shared_mutex>
#include <unordered_map>

#include "bridge.h"

namespace bridge {
namespace {

using Table = JNINativeInterface_;
constexpr int kMaxParameters = 256;  // a Java method has at most 255 parameter slots

// --- method signatures, needed to read "..." and va_list arguments ---------

std::shared_mutex methodsLock;
std::unordered_map<jmethodID, std::string> parameterKindsById;
jvmtiEnv* jvmti = nullptr;
JavaVM* hotspotVm = nullptr;

// One letter per parameter: the primitive's letter, or L for any reference.
std::string parameterKinds(const char* signature) {
    std::string kinds;
    if (!signature || *signature != '(') return kinds;
    for (const char* p = signature + 1; *p && *p != ')'; ++p) {
        char kind = *p;
        if (*p == '[') {
            while (*p == '[') ++p;
            kind = 'L';
        }
        if (*p == 'L') {
            kind = 'L';
            while (*p && *p != ';') ++p;
        }
        kinds += kind;
    }
    return kinds;
}

[[gnu::noinline]] void recordMethod(jmethodID method, const char* signature) {
    if (!method) return;
    std::unique_lock lock(methodsLock);
    parameterKindsById[method] = parameterKinds(signature);
}

// Ids the bridge has not seen, such as those FromReflectedMethod gives, are
// asked of JVMTI.
[[gnu::noinline]] std::string kindsOf(jmethodID method) {
    {
        std::shared_lock lock(methodsLock);
        if (auto found = parameterKindsById.find(method); found != parameterKindsById.end()) return found->second;
    }
    char* name = nullptr;
    char* signature = nullptr;
    {
        std::unique_lock lock(methodsLock);
        if (!jvmti && hotspotVm->GetEnv(reinterpret_cast<void**>(&jvmti), JVMTI_VERSION_1_2) != JNI_OK) return {};
        if (jvmti->GetMethodName(method, &name, &signature, nullptr) != JVMTI_ERROR_NONE) return {};
    }
    recordMethod(method, signature);
    const std::string kinds = parameterKinds(signature);
    jvmti->Deallocate(reinterpret_cast<unsigned char*>(name));
    jvmti->Deallocate(reinterpret_cast<unsigned char*>(signature));
    return kinds;
}

// Reads a Windows x64 argument list: every value takes one 8-byte slot, small
// integers come promoted to int and float to double.
[[gnu::noinline]] void readArguments(jmethodID method, __builtin_ms_va_list list, jvalue* args) {
    const std::string kinds = kindsOf(method);
    for (size_t i = 0; i < kinds.size() && i < kMaxParameters; ++i) {
        switch (kinds[i]) {
            case 'Z': args[i].z = static_cast<jboolean>(__builtin_va_arg(list, int)); break;
            case 'B': args[i].b = static_cast<jbyte>(__builtin_va_arg(list, int)); break;
            case 'C': args[i].c = static_cast<jchar>(__builtin_va_arg(list, int)); break;
            case 'S': args[i].s = static_cast<jshort>(__builtin_va_arg(list, int)); break;
            case 'I': args[i].i = __builtin_va_arg(list, int); break;
            case 'J': args[i].j = __builtin_va_arg(list, long long); break;
            case 'F': args[i].f = static_cast<jfloat>(__builtin_va_arg(list, double)); break;
            case 'D': args[i].d = __builtin_va_arg(list, double); break;
            default: args[i].l = __builtin_va_arg(list, jobject); break;
        }
    }
}

// --- file names handed to Java --------------------------------------------

// The launcher opens its output files with new FileOutputStream(String, boolean)
// and a Windows name; only that constructor, and only when called through JNI,
// gets its name translated. Java code itself is left alone.
jmethodID fileStreamConstructor = nullptr;

[[gnu::noinline]] jobject newObject(JNIEnv* env, jclass type, jmethodID method, const jvalue* args) {
    JNIEnv* real = realEnv(env);
    if (method != fileStreamConstructor || !args || !args[0].l) return real->NewObjectA(type, method, args);
    auto name = static_cast<jstring>(args[0].l);
    std::u16string windowsName(real->GetStringLength(name), u'\0');
    real->GetStringRegion(name, 0, static_cast<jsize>(windowsName.size()),
                          reinterpret_cast<jchar*>(windowsName.data()));
    const std::u16string unixName = toUtf16(unixPath(windowsName), CP_UTF8);
    jvalue translated[2] = {args[0], args[1]};
    translated[0].l =
        real->NewString(reinterpret_cast<const jchar*>(unixName.data()), static_cast<jsize>(unixName.size()));
    if (!translated[0].l) return nullptr;
    jobject stream = real->NewObjectA(type, method, translated);
    real->DeleteLocalRef(translated[0].l);
    return stream;
}

// LauncherHelper.checkAndLoadMain(printToStderr, mode, what) opens the jar it is
// given in mode 2 (a jar): the launcher's Windows name becomes a Unix one.
jmethodID checkAndLoadMain = nullptr;
constexpr jint kJarMode = 2;

[[gnu::noinline]] jobject callStaticObject(JNIEnv* env, jclass type, jmethodID method, const jvalue* args) {
    JNIEnv* real = realEnv(env);
    if (method != checkAndLoadMain || !args || args[1].i != kJarMode || !args[2].l) {
        return real->CallStaticObjectMethodA(type, method, args);
    }
    auto name = static_cast<jstring>(args[2].l);
    std::u16string windowsName(real->GetStringLength(name), u'\0');
    real->GetStringRegion(name, 0, static_cast<jsize>(windowsName.size()),
                          reinterpret_cast<jchar*>(windowsName.data()));
    const std::u16string unixName = toUtf16(unixPath(windowsName), CP_UTF8);
    jvalue translated[3] = {args[0], args[1], args[2]};
    translated[2].l =
        real->NewString(reinterpret_cast<const jchar*>(unixName.data()), static_cast<jsize>(unixName.size()));
    if (!translated[2].l) return nullptr;
    jobject result = real->CallStaticObjectMethodA(type, method, translated);
    real->DeleteLocalRef(translated[2].l);
    return result;
}

// --- the JNIEnv entries ---------------------------------------------------

template <auto Member>
struct Forward;
template <typename R, typename... A, R (*Table::*Member)(JNIEnv*, A...)>
struct Forward<Member> {
    static BRIDGE_MSABI R call(JNIEnv* env, A... args) {
        JNIEnv* real = realEnv(env);
        return (real->functions->*Member)(real, args...);
    }
};

template <auto MemberA>
constexpr bool kIsNewObject = false;
template <>
constexpr bool kIsNewObject<&Table::NewObjectA> = true;
template <auto MemberA>
constexpr bool kIsCallStaticObject = false;
template <>
constexpr bool kIsCallStaticObject<&Table::CallStaticObjectMethodA> = true;

// The "..." and va_list entries, carried out through the jvalue form.
template <auto MemberA>
struct ByArray;
// Call<Type>MethodA, CallStatic<Type>MethodA, NewObjectA: (env, object or class, method, args)
template <typename R, typename Target, R (*Table::*MemberA)(JNIEnv*, Target, jmethodID, const jvalue*)>
struct ByArray<MemberA> {
    static R invoke(JNIEnv* env, Target target, jmethodID method, const jvalue* args) {
        if constexpr (kIsNewObject<MemberA>) {
            return newObject(env, target, method, args);
        } else if constexpr (kIsCallStaticObject<MemberA>) {
            return callStaticObject(env, target, method, args);
        } else {
            JNIEnv* real = realEnv(env);
            return (real->functions->*MemberA)(real, target, method, args);
        }
    }
    static BRIDGE_MSABI R variadic(JNIEnv* env, Target target, jmethodID method, ...) {
        jvalue args[kMaxParameters];
        __builtin_ms_va_list list;
        __builtin_ms_va_start(list, method);
        readArguments(method, list, args);
        __builtin_ms_va_end(list);
        return invoke(env, target, method, args);
    }
    static BRIDGE_MSABI R vaList(JNIEnv* env, Target target, jmethodID method, __builtin_ms_va_list list) {
        jvalue args[kMaxParameters];
        readArguments(method, list, args);
        return invoke(env, target, method, args);
    }
};
// CallNonvirtual<Type>MethodA: (env, object, class, method, args)
template <typename R, R (*Table::*MemberA)(JNIEnv*, jobject, jclass, jmethodID, const jvalue*)>
struct ByArray<MemberA> {
    static R invoke(JNIEnv* env, jobject object, jclass type, jmethodID method, const jvalue* args) {
        JNIEnv* real = realEnv(env);
        return (real->functions->*MemberA)(real, object, type, method, args);
    }
    static BRIDGE_MSABI R variadic(JNIEnv* env, jobject object, jclass type, jmethodID method, ...) {
        jvalue args[kMaxParameters];
        __builtin_ms_va_list list;
        __builtin_ms_va_start(list, method);
        readArguments(method, list, args);
        __builtin_ms_va_end(list);
        return invoke(env, object, type, method, args);
    }
    static BRIDGE_MSABI R vaList(JNIEnv* env, jobject object, jclass type, jmethodID method,
                                 __builtin_ms_va_list list) {
        jvalue args[kMaxParameters];
        readArguments(method, list, args);
        return invoke(env, object, type, method, args);
    }
};

BRIDGE_MSABI jmethodID getMethodId(JNIEnv* env, jclass type, const char* name, const char* signature) {
    JNIEnv* real = realEnv(env);
    jmethodID method = real->GetMethodID(type, name, signature);
    recordMethod(method, signature);
    return method;
}

BRIDGE_MSABI jmethodID getStaticMethodId(JNIEnv* env, jclass type, const char* name, const char* signature) {
    JNIEnv* real = realEnv(env);
    jmethodID method = real->GetStaticMethodID(type, name, signature);
    recordMethod(method, signature);
    if (method && std::string_view(name) == "checkAndLoadMain") checkAndLoadMain = method;
    return method;
}

BRIDGE_MSABI jobject newObjectA(JNIEnv* env, jclass type, jmethodID method, const jvalue* args) {
    return newObject(env, type, method, args);
}

BRIDGE_MSABI jobject callStaticObjectA(JNIEnv* env, jclass type, jmethodID method, const jvalue* args) {
    return callStaticObject(env, type, method, args);
}

BRIDGE_MSABI jint getJavaVm(JNIEnv*, JavaVM** vm) {
    *vm = wrappedVm();
    return *vm ? JNI_OK : JNI_ERR;
}

// HotSpot would call PE functions with the System V convention on threads Wine
// does not know; natives cannot be registered from the PE side.
BRIDGE_MSABI jint registerNatives(JNIEnv*, jclass, const JNINativeMethod*, jint) { return JNI_ERR; }

template <typename Slot, typename Entry>
void fill(Slot& slot, Entry entry) {
    slot = reinterpret_cast<Slot>(entry);
}

Table makeEnvTable() {
    Table table{};
#define JL_RESERVED(name) table.name = nullptr;
#define JL_FORWARD(name) fill(table.name, &Forward<&Table::name>::call);
#define JL_VARIADIC(name, arrayForm) fill(table.name, &ByArray<&Table::arrayForm>::variadic);
#define JL_VA_LIST(name, arrayForm) fill(table.name, &ByArray<&Table::arrayForm>::vaList);
#include "jni_env_table.inc"
#undef JL_RESERVED
#undef JL_FORWARD
#undef JL_VARIADIC
#undef JL_VA_LIST
    static_assert(JL_JNI_ENV_SLOTS * sizeof(void*) == sizeof(Table), "a JNIEnv slot is missing");
    fill(table.GetMethodID, &getMethodId);
    fill(table.GetStaticMethodID, &getStaticMethodId);
    fill(table.NewObjectA, &newObjectA);
    fill(table.CallStaticObjectMethodA, &callStaticObjectA);
    fill(table.GetJavaVM, &getJavaVm);
    fill(table.RegisterNatives, &registerNatives);
    return table;
}

const Table envTable = makeEnvTable();

// --- the JavaVM entries -----------------------------------------------------

std::mutex envsLock;
std::unordered_map<JNIEnv*, std::unique_ptr<WrappedEnv>> wrappedEnvs;
WrappedVm theVm{};

[[gnu::noinline]] jint attach(JavaVM* vm, void** penv, void* args, bool daemon) {
    JavaVM* real = realVm(vm);
    JNIEnv* env = nullptr;
    const jint result = daemon ? real->AttachCurrentThreadAsDaemon(reinterpret_cast<void**>(&env), args)
                               : real->AttachCurrentThread(reinterpret_cast<void**>(&env), args);
    if (result == JNI_OK) *penv = wrapEnv(env);
    return result;
}

[[gnu::noinline]] jint detach(JavaVM* vm) {
    JavaVM* real = realVm(vm);
    JNIEnv* env = nullptr;
    const bool attached = real->GetEnv(reinterpret_cast<void**>(&env), JNI_VERSION_1_2) == JNI_OK;
    const jint result = real->DetachCurrentThread();
    if (result == JNI_OK && attached) forgetEnv(env);
    return result;
}

[[gnu::noinline]] jint getEnv(JavaVM* vm, void** penv, jint version) {
    // Only JNI itself is wrapped; a JVMTI environment would need its own tables.
    if (version & 0x30000000) return JNI_EVERSION;
    JNIEnv* env = nullptr;
    const jint result = realVm(vm)->GetEnv(reinterpret_cast<void**>(&env), version);
    *penv = result == JNI_OK ? wrapEnv(env) : nullptr;
    return result;
}

BRIDGE_MSABI jint destroyJavaVm(JavaVM* vm) { return realVm(vm)->DestroyJavaVM(); }
BRIDGE_MSABI jint attachCurrentThread(JavaVM* vm, void** penv, void* args) { return attach(vm, penv, args, false); }
BRIDGE_MSABI jint attachCurrentThreadAsDaemon(JavaVM* vm, void** penv, void* args) {
    return attach(vm, penv, args, true);
}
BRIDGE_MSABI jint detachCurrentThread(JavaVM* vm) { return detach(vm); }
BRIDGE_MSABI jint getEnvEntry(JavaVM* vm, void** penv, jint version) { return getEnv(vm, penv, version); }

JNIInvokeInterface_ makeVmTable() {
    JNIInvokeInterface_ table{};
    fill(table.DestroyJavaVM, &destroyJavaVm);
    fill(table.AttachCurrentThread, &attachCurrentThread);
    fill(table.DetachCurrentThread, &detachCurrentThread);
    fill(table.GetEnv, &getEnvEntry);
    fill(table.AttachCurrentThreadAsDaemon, &attachCurrentThreadAsDaemon);
    return table;
}

const JNIInvokeInterface_ vmTable = makeVmTable();

} // namespace

JNIEnv* wrapEnv(JNIEnv* real) {
    std::lock_guard lock(envsLock);
    std::unique_ptr<WrappedEnv>& wrapped = wrappedEnvs[real];
    if (!wrapped) wrapped.reset(new WrappedEnv{&envTable, real});
    return reinterpret_cast<JNIEnv*>(wrapped.get());
}

void forgetEnv(JNIEnv* real) {
    std::lock_guard lock(envsLock);
    wrappedEnvs.erase(real);
}

JavaVM* wrapVm(JavaVM* real) {
    hotspotVm = real;
    theVm = WrappedVm{&vmTable, real};
    return reinterpret_cast<JavaVM*>(&theVm);
}

JavaVM* wrappedVm() { return theVm.real ? reinterpret_cast<JavaVM*>(&theVm) : nullptr; }

void prepareEnvTables(JNIEnv* real) {
    if (jclass type = real->FindClass("java/io/FileOutputStream")) {
        fileStreamConstructor = real->GetMethodID(type, "<init>", "(Ljava/lang/String;Z)V");
        recordMethod(fileStreamConstructor, "(Ljava/lang/String;Z)V");
        real->DeleteLocalRef(type);
    }
    real->ExceptionClear();
}

} // namespace bridge
