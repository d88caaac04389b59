# Creates COUNT empty files f0.jar ... in FOLDER: a folder a wildcard class path
# entry expands to thousands of names. Made once at build time, where it is quick.
file(REMOVE_RECURSE ${FOLDER})
file(MAKE_DIRECTORY ${FOLDER})
math(EXPR last "${COUNT} - 1")
set(names "")
foreach(i RANGE ${last})
  list(APPEND names ${FOLDER}/f${i}.jar)
endforeach()
file(TOUCH ${names})
