# AddressSanitizer and UndefinedBehaviorSanitizer for everything built in this tree.
add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined
                    -fno-omit-frame-pointer)
add_link_options(-fsanitize=address,undefined)
# GCC's may-be-uninitialized analysis reports false alarms on instrumented code; the plain
# builds keep the warning.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  add_compile_options(-Wno-maybe-uninitialized)
endif()
