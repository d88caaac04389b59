#pragma once
// The probe runtime's scripted world: the few Java classes, objects and methods
// that a launcher touches, as plain heap records. Nothing here is ever freed; a
// probe VM lives for one short test process.

#include <windows.h>

#include <jni.h>

#include <string>
#include <vector>

#include "probe_scenario.h"

namespace probe {

enum class Kind {
    Class, String, CharArray, ObjectArray, FileStream, MemoryStream, StandardStream, PrintStream, Throwable, Instance
};

struct Object {
    Kind kind;
    std::string className;          // a Class's own name; for any other object, its class
    std::wstring text;              // String and char[] contents, a Throwable's stack trace
    std::wstring message;           // a Throwable's getMessage()
    std::vector<Object*> elements;  // Object[]
    std::string bytes;              // what a ByteArrayOutputStream holds
    Object* target = nullptr;       // what a PrintStream writes to
    HANDLE file = nullptr;          // a FileOutputStream's file (its name in text)
    bool append = false;            // ... and whether it was opened for appending
    DWORD standardHandle = 0;       // STD_OUTPUT_HANDLE or STD_ERROR_HANDLE for the initial streams
};

enum class Behaviour {
    CheckAndLoadMain, Main, NewApplicationObject, SecondaryMain, NewString, SystemExit, SetOut, SetErr,
    NewFileStream, NewPrintStream, NewMemoryStream, MemoryStreamToString, PrintStackTrace, ThrowableMessage
};

struct Method {
    const char* className;  // nullptr: the application class; "": any throwable class
    const char* name;
    const char* signature;
    bool isStatic;
    Behaviour behaviour;
};

// A static field of a runtime class.
struct Field {
    const char* className;
    const char* name;
    const char* signature;
};

Object* newObject(Kind kind, std::string className);
std::string dotted(std::string name);

// Local references: each handle is a record of its own, so deleting one leaves
// the object and every other reference to it usable, as in a real VM. Using a
// deleted or unknown handle is recorded as "bad-reference" and reads as null.
jobject localRef(Object* object);
Object* deref(jobject handle, const char* function);
void deleteRef(jobject handle);

// The calling thread's pending exception.
Object*& pendingException();
void throwNew(const std::string& className, const std::wstring& message);

// The world of the VM that exists now; valid between startVm and endVm.
struct VmState {
    Scenario scenario;
    void(JNICALL* exitHook)(jint) = nullptr;
    void(JNICALL* abortHook)() = nullptr;
    std::string errorFile;  // "-XX:ErrorFile=", where an abort writes its report as HotSpot does
    Object* out = nullptr;
    Object* err = nullptr;
    std::vector<HANDLE> threads;  // the non-daemon threads a DestroyJavaVM waits for
    std::vector<HANDLE> files;    // FileOutputStreams, closed when the VM is destroyed
    bool isStaticMain = false;    // what a JDK 25 helper notes about the main it chose
    bool noArgMain = false;
};
VmState& vm();
void startVm(const Scenario& scenario, void(JNICALL* exitHook)(jint), void(JNICALL* abortHook)());
void endVm();

// True when FindClass finds the class; application classes are found by FindClass
// only, the boot loader finds the runtime's own.
bool classExists(const std::string& name);
bool isApplicationClass(const std::string& name);
const Method* findMethod(const std::string& className, const std::string& name, const std::string& signature,
                         bool isStatic);
bool isMethod(const void* id);
const Field* findStaticField(const std::string& className, const std::string& name, const std::string& signature);
bool isField(const void* id);
jboolean staticBooleanValue(const Field& field);
// Whether a class is the other or extends it (throwables have their usual ancestry).
bool isSubclassOf(std::string name, const std::string& ancestor);

// The kind of object that NewObject makes for a class with a constructor here.
Kind kindOfInstance(const std::string& className);
// Runs a method (a constructor on the new, empty self); object arguments are
// local references, as the caller passed them.
jvalue invoke(const Method& method, Object* self, const std::string& className, const jvalue* args);

void writeToStream(Object* stream, const std::string& bytes);
[[noreturn]] void exitVm(jint status);

} // namespace probe
