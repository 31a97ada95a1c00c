# Compile options shared by every target of the project.
#
# The effect's arithmetic is specified operation by operation in 32-bit float,
# so contraction into fused multiply-add is off everywhere and fast-math is
# never used: a build on any compiler must produce the same samples.

add_library(kestrine_options INTERFACE)
target_compile_options(kestrine_options INTERFACE -Wall -Wextra -ffp-contract=off -fno-fast-math)
if(KESTRINE_WERROR)
  target_compile_options(kestrine_options INTERFACE -Werror)
endif()

if(KESTRINE_SANITIZERS)
  list(JOIN KESTRINE_SANITIZERS "," _kestrine_san)
  add_compile_options(-fsanitize=${_kestrine_san} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=${_kestrine_san})
endif()

if(WIN32)
  # Link the C and C++ runtimes (and winpthreads) statically so that programs
  # and the module load on a machine without mingw's DLLs.
  add_link_options(-static -static-libgcc -static-libstdc++)
endif()
