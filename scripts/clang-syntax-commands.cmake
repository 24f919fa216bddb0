# Turns a compile_commands.json into one shell line per source that checks
# it with clang: the same flags, syntax and warnings only, no output.
#   cmake -DCOMPILE_COMMANDS=FILE -DCLANGXX=clang++ -DOUT=FILE -P clang-syntax-commands.cmake
file(READ "${COMPILE_COMMANDS}" json)
string(JSON count LENGTH "${json}")
file(WRITE "${OUT}" "")
if(count EQUAL 0)
  return()
endif()
math(EXPR last "${count} - 1")
foreach(i RANGE ${last})
  string(JSON directory GET "${json}" ${i} directory)
  string(JSON command GET "${json}" ${i} command)
  # The compiler is the first word (REGEX REPLACE would apply "^" again
  # after each match); the object file is not written.
  string(FIND "${command}" " " space)
  math(EXPR space "${space} + 1")
  string(SUBSTRING "${command}" ${space} -1 command)
  string(REGEX REPLACE " -o [^ ]+" "" command "${command}")
  # Warning options only GCC knows must not fail clang's -Werror.
  file(APPEND "${OUT}"
    "cd '${directory}' && ${CLANGXX} -Wno-unknown-warning-option ${command} -fsyntax-only\n")
endforeach()
