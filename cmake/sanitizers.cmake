# QS_SANITIZE=address,undefined or thread instruments every target.
if(QS_SANITIZE)
  add_compile_options(-fsanitize=${QS_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=${QS_SANITIZE})
endif()
