# VORA_SANITIZE builds every target with ASan and UBSan; any report aborts.
if(VORA_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
endif()
