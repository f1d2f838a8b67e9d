# Every target of ours builds warning-free; warnings are errors.
function(cvn_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Werror)
endfunction()
