# Writes a Java program of COUNT small classes of its own, all loaded, linked
# and initialised before main returns, for the class-data archive figures.
#   cmake -DOUTPUT=<folder> -DCOUNT=<n> -P generate_many_classes.cmake
file(MAKE_DIRECTORY ${OUTPUT}/bench)
set(calls "")
math(EXPR last "${COUNT} - 1")
foreach(i RANGE ${last})
  file(WRITE ${OUTPUT}/bench/C${i}.java
    "package bench;\nfinal class C${i} {\n    static final int BASE = ${i};\n    int value(int x) { return x * 31 + BASE; }\n}\n")
  string(APPEND calls "        sum += new C${i}().value(${i});\n")
endforeach()
# One method per 500 classes: a single method would pass the class file's size limit.
set(parts "")
set(bodies "")
math(EXPR groups "(${COUNT} + 499) / 500 - 1")
foreach(g RANGE ${groups})
  math(EXPR from "${g} * 500")
  math(EXPR to "${from} + 499")
  if(to GREATER last)
    set(to ${last})
  endif()
  set(body "")
  foreach(i RANGE ${from} ${to})
    string(APPEND body "        sum += new C${i}().value(${i});\n")
  endforeach()
  string(APPEND parts "        sum += part${g}();\n")
  string(APPEND bodies "    private static long part${g}() {\n        long sum = 0;\n${body}        return sum;\n    }\n")
endforeach()
file(WRITE ${OUTPUT}/bench/ManyClasses.java
  "package bench;\n\nimport java.time.Instant;\n\n"
  "/** Loads ${COUNT} classes of its own, then prints the moment main ends in microseconds since 1970. */\n"
  "public final class ManyClasses {\n${bodies}"
  "    public static void main(String[] args) {\n        long sum = 0;\n${parts}"
  "        if (sum == 42) System.out.println(\"unlikely\");\n"
  "        Instant now = Instant.now();\n"
  "        System.out.println(now.getEpochSecond() * 1_000_000L + now.getNano() / 1_000);\n    }\n}\n")
