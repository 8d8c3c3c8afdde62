# Warnings on everywhere; errors too when QS_WERROR is set (CI does).
function(qs_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  if(QS_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
