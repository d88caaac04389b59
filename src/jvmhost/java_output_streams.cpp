#include "jvmhost/java_output_streams.h"

#include "jvmhost/java_strings.h"
#include "support/trace.h"

namespace jl {

namespace {

// Installs a PrintStream on the file as System.out ("setOut") or System.err
// ("setErr"). False when any step fails; a Java exception may then be pending.
bool redirectStandardStream(JNIEnv* env, const std::wstring& fileName, bool append, const char* setter) {
    createParentFolders(fileName);
    jstring name = newJavaString(fileName, env);
    if (!name) return false;
    jclass fileStreamClass = env->FindClass("java/io/FileOutputStream");
    if (!fileStreamClass) return false;
    jmethodID fileStreamInit = env->GetMethodID(fileStreamClass, "<init>", "(Ljava/lang/String;Z)V");
    if (!fileStreamInit) return false;
    jobject fileStream = env->NewObject(fileStreamClass, fileStreamInit, name, append ? JNI_TRUE : JNI_FALSE);
    if (!fileStream) return false;
    jclass printStreamClass = env->FindClass("java/io/PrintStream");
    if (!printStreamClass) return false;
    jmethodID printStreamInit = env->GetMethodID(printStreamClass, "<init>", "(Ljava/io/OutputStream;)V");
    if (!printStreamInit) return false;
    jobject printStream = env->NewObject(printStreamClass, printStreamInit, fileStream);
    if (!printStream) return false;
    jclass systemClass = env->FindClass("java/lang/System");
    if (!systemClass) return false;
    jmethodID install = env->GetStaticMethodID(systemClass, setter, "(Ljava/io/PrintStream;)V");
    if (!install) return false;
    env->CallStaticVoidMethod(systemClass, install, printStream);
    if (env->ExceptionOccurred()) {
        env->ExceptionDescribe();
        return false;
    }
    return true;
}

} // namespace

void redirectOutputStreams(JNIEnv* env, const OutputRedirection& output) {
    const auto redirect = [env](const std::wstring& file, bool append, const char* setter) {
        if (file.empty()) return;
        const bool redirected = redirectStandardStream(env, file, append, setter);
        trace<TraceTopic::jvm>("{}{}{}{}", setter[3] == 'O' ? "System.out" : "System.err",
                               redirected ? " goes to " : " could not be sent to ", Quoted{file},
                               append ? " (append)" : "");
        if (!redirected && env->ExceptionOccurred()) env->ExceptionDescribe();
    };
    redirect(output.outputFile, output.outputAppend, "setOut");
    redirect(output.errorFile, output.errorAppend, "setErr");
}

} // namespace jl
