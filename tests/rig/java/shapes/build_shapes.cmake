# Compiles and packs the application shapes the launch tests start, and makes a
# runtime image of java.base and the application's module with the build
# machine's jlink, laid out as a runtime home for the bridge:
#   OUTPUT/app/shapes-app.jar      executable jar (Main-Class, Class-Path, Add-Opens)
#   OUTPUT/app/shapes-lib.jar      the jar its Class-Path names
#   OUTPUT/app/shapes-nomain.jar   a jar whose manifest names no Main-Class
#   OUTPUT/mods/shapes.app.jar     modular jar, ModuleMainClass shapes.app.ModMain
#   OUTPUT/mods/shapes.extra.jar   a module nothing requires
#   OUTPUT/jre64/                  the image the README's jlink command makes, run as
#                                  written in OUTPUT, + bin/java.dll and bin/server/jvm.dll of the bridge
#
#   cmake -DJDK_BIN=<jdk>/bin -DSOURCE=<this folder> -DOUTPUT=<folder> -DBRIDGE_HOME=<bridge home>
#         -DREADME=<README.md> -P build_shapes.cmake

foreach(variable JDK_BIN SOURCE OUTPUT BRIDGE_HOME README)
  if(NOT ${variable})
    message(FATAL_ERROR "build_shapes.cmake needs -D${variable}=")
  endif()
endforeach()

function(run)
  execute_process(COMMAND ${ARGV} RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "failed (${result}): ${ARGV}")
  endif()
endfunction()

set(classes ${OUTPUT}/classes)
file(REMOVE_RECURSE ${classes} ${OUTPUT}/app ${OUTPUT}/mods ${OUTPUT}/jre64)
file(MAKE_DIRECTORY ${OUTPUT}/app ${OUTPUT}/mods)

# The class path shapes.
file(GLOB_RECURSE lib_sources ${SOURCE}/lib/*.java)
run(${JDK_BIN}/javac --release 11 -d ${classes}/lib ${lib_sources})
run(${JDK_BIN}/jar --create --file ${OUTPUT}/app/shapes-lib.jar -C ${classes}/lib .)
file(GLOB_RECURSE jar_sources ${SOURCE}/jar/*.java)
run(${JDK_BIN}/javac --release 11 -d ${classes}/jar ${jar_sources})
file(WRITE ${classes}/manifest.txt "Class-Path: shapes-lib.jar\nAdd-Opens: java.base/java.lang\n")
run(${JDK_BIN}/jar --create --file ${OUTPUT}/app/shapes-app.jar --main-class shapes.JarMain
    --manifest ${classes}/manifest.txt -C ${classes}/jar .)
file(GLOB_RECURSE nomain_sources ${SOURCE}/nomain/*.java)
run(${JDK_BIN}/javac --release 11 -d ${classes}/nomain ${nomain_sources})
run(${JDK_BIN}/jar --create --file ${OUTPUT}/app/shapes-nomain.jar -C ${classes}/nomain .)

# The modules.
file(GLOB_RECURSE extra_sources ${SOURCE}/extra/*.java)
run(${JDK_BIN}/javac --release 11 -d ${classes}/extra ${extra_sources})
run(${JDK_BIN}/jar --create --file ${OUTPUT}/mods/shapes.extra.jar -C ${classes}/extra .)
file(GLOB_RECURSE app_sources ${SOURCE}/app/*.java)
run(${JDK_BIN}/javac --release 11 -d ${classes}/app ${app_sources})
run(${JDK_BIN}/jar --create --file ${OUTPUT}/mods/shapes.app.jar --main-class shapes.app.ModMain -C ${classes}/app .)

# The runtime image, made by the README's own jlink command, and the bridge's Windows face.
file(STRINGS ${README} jlink_lines REGEX "^jlink ")
list(LENGTH jlink_lines jlink_count)
if(NOT jlink_count EQUAL 1)
  message(FATAL_ERROR "README.md should show one jlink command, and shows ${jlink_count}")
endif()
separate_arguments(jlink_arguments UNIX_COMMAND "${jlink_lines}")
list(POP_FRONT jlink_arguments)
execute_process(COMMAND ${JDK_BIN}/jlink ${jlink_arguments} WORKING_DIRECTORY ${OUTPUT} RESULT_VARIABLE result)
if(NOT result EQUAL 0 OR NOT EXISTS ${OUTPUT}/jre64/lib/modules)
  message(FATAL_ERROR "the README's jlink command failed (${result}): ${jlink_lines}")
endif()
file(MAKE_DIRECTORY ${OUTPUT}/jre64/bin/server)
file(COPY ${BRIDGE_HOME}/bin/java.dll DESTINATION ${OUTPUT}/jre64/bin)
file(COPY ${BRIDGE_HOME}/bin/server/jvm.dll DESTINATION ${OUTPUT}/jre64/bin/server)
file(REMOVE_RECURSE ${classes})
