# The agent's directory layout, defined once: the header every program
# includes (VoraLayout.h, constants only: the programs still share no code)
# and the package's tmpfiles.d entry are both generated from these values.
set(VORA_INSTALL_ROOT "/opt" CACHE PATH "Root of the agent's install directory")
set(VORA_DATA_ROOT "/var/opt" CACHE PATH "Root of the agent's data directory")
# Below a root: <install root>/Orvel/VORA/bin/, <data root>/Orvel/VORA/data/user/.
set(VORA_LAYOUT_VENDOR "Orvel")
set(VORA_LAYOUT_PRODUCT "VORA")
set(VORA_LAYOUT_BIN "bin")
set(VORA_LAYOUT_DATA "data")
set(VORA_LAYOUT_USER "user")
# Modes, octal: the directories down to the data directory, the shared
# marker directory (sticky, writable for every user), the shared log
# (every user appends, only root reads), root's own log.
set(VORA_LAYOUT_DIRECTORY_MODE "0755")
set(VORA_LAYOUT_MARKER_DIRECTORY_MODE "1777")
set(VORA_LAYOUT_LOG_MODE "0622")
set(VORA_LAYOUT_ROOT_LOG_MODE "0600")

set(VORA_GENERATED_INCLUDE_DIR "${PROJECT_BINARY_DIR}/generated")
configure_file("${CMAKE_CURRENT_LIST_DIR}/VoraLayout.h.in" "${VORA_GENERATED_INCLUDE_DIR}/VoraLayout.h" @ONLY)
include_directories("${VORA_GENERATED_INCLUDE_DIR}")
