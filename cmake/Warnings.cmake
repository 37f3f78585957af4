# Every target of the project compiles warnings-clean with these.
add_library(vora_warnings INTERFACE)
add_library(vora::warnings ALIAS vora_warnings)
target_compile_options(vora_warnings INTERFACE -Wall -Wextra)
