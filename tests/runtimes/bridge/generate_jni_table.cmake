# Lists the JNIEnv function table of the JDK's jni.h as one macro call per slot,
# in table order, so the bridge builds its Windows table without a hand-written
# copy of the 230-odd entries:
#   JL_RESERVED(name)            an unused slot
#   JL_FORWARD(name)             same arguments on both sides
#   JL_VARIADIC(name, nameA)     "..." entry, carried out through the jvalue form
#   JL_VA_LIST(name, nameA)      va_list entry, carried out through the jvalue form
# cmake -DJNI_H=.../jni.h -DOUTPUT=.../jni_env_table.inc -P generate_jni_table.cmake
file(READ "${JNI_H}" header)
if(NOT header MATCHES "struct JNINativeInterface_ {([^}]*)}")
  message(FATAL_ERROR "${JNI_H}: no JNINativeInterface_ table")
endif()
set(body "${CMAKE_MATCH_1}")
string(REGEX REPLACE "/\\*([^*]|\\*+[^*/])*\\*+/" "" body "${body}")
string(REGEX REPLACE "[\r\n\t ]+" " " body "${body}")

set(lines "// Generated from ${JNI_H} by generate_jni_table.cmake; do not edit.\n")
set(count 0)
foreach(slot IN LISTS body)  # the body is a list: one slot per ';'
  if(slot MATCHES "void \\*(reserved[0-9]+)$")
    string(APPEND lines "JL_RESERVED(${CMAKE_MATCH_1})\n")
  elseif(slot MATCHES "\\(JNICALL \\*([A-Za-z0-9_]+)\\)")
    set(name ${CMAKE_MATCH_1})
    if(slot MATCHES "\\.\\.\\.")
      string(APPEND lines "JL_VARIADIC(${name}, ${name}A)\n")
    elseif(slot MATCHES "va_list")
      string(REGEX REPLACE "V$" "A" arrayForm ${name})
      string(APPEND lines "JL_VA_LIST(${name}, ${arrayForm})\n")
    else()
      string(APPEND lines "JL_FORWARD(${name})\n")
    endif()
  elseif(slot MATCHES "[^ ]")
    message(FATAL_ERROR "${JNI_H}: unexpected JNINativeInterface_ slot: ${slot}")
  else()
    continue()
  endif()
  math(EXPR count "${count} + 1")
endforeach()
if(count LESS 200)
  message(FATAL_ERROR "${JNI_H}: only ${count} JNIEnv slots found")
endif()
string(APPEND lines "#define JL_JNI_ENV_SLOTS ${count}\n")
file(WRITE "${OUTPUT}.tmp" "${lines}")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
