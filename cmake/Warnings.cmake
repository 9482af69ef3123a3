# Warnings are errors-in-waiting: every target of the project builds clean at
# -Wall -Wextra.
add_compile_options(-Wall -Wextra)

option(VEROLINK_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(VEROLINK_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
