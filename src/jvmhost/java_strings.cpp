#include "jvmhost/java_strings.h"

namespace jl {

jstring newJavaString(const std::wstring& text, JNIEnv* env) {
    jclass stringClass = env->FindClass("java/lang/String");
    if (!stringClass) return nullptr;
    jmethodID constructor = env->GetMethodID(stringClass, "<init>", "([C)V");
    if (!constructor) return nullptr;
    const jsize length = static_cast<jsize>(text.size());
    jcharArray characters = env->NewCharArray(length);
    if (!characters) return nullptr;
    env->SetCharArrayRegion(characters, 0, length, reinterpret_cast<const jchar*>(text.data()));
    jstring result = nullptr;
    if (!env->ExceptionOccurred()) result = static_cast<jstring>(env->NewObject(stringClass, constructor, characters));
    env->DeleteLocalRef(characters);
    return result;
}

jobjectArray newJavaStringArray(const std::vector<std::wstring>& texts, JNIEnv* env) {
    jclass stringClass = env->FindClass("java/lang/String");
    if (!stringClass) return nullptr;
    jobjectArray array = env->NewObjectArray(static_cast<jsize>(texts.size()), stringClass, nullptr);
    if (!array) return nullptr;
    for (size_t i = 0; i < texts.size(); ++i) {
        jstring element = newJavaString(texts[i], env);
        if (!element) return nullptr;
        env->SetObjectArrayElement(array, static_cast<jsize>(i), element);
        env->DeleteLocalRef(element);
    }
    return array;
}

bool callSystemExit(JNIEnv* env, jint status) {
    jclass systemClass = env->FindClass("java/lang/System");
    if (!systemClass) return false;
    jmethodID exitMethod = env->GetStaticMethodID(systemClass, "exit", "(I)V");
    if (!exitMethod) return false;
    env->CallStaticVoidMethod(systemClass, exitMethod, status);
    if (env->ExceptionOccurred()) {
        env->ExceptionDescribe();
        return false;
    }
    return true;
}

} // namespace jl
