# Warning and sanitizer settings shared by every target of the project (linked privately).
add_library(ruleweave_warnings INTERFACE)
target_compile_options(ruleweave_warnings INTERFACE -Wall -Wextra -Wpedantic -Wshadow)
if(RULEWEAVE_WERROR)
  target_compile_options(ruleweave_warnings INTERFACE -Werror)
endif()

if(RULEWEAVE_SANITIZE)
  # Applied to everything built here so that library, tests and tools agree on the runtime.
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()
