# Sourced by the build scripts: compile through ccache when it is there, with
# paths taken relative to the checkout, so that a second checkout (or a clean
# one) reuses what an earlier build compiled.
if command -v ccache >/dev/null 2>&1; then
  export CMAKE_C_COMPILER_LAUNCHER=ccache CMAKE_CXX_COMPILER_LAUNCHER=ccache
  export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
  export CCACHE_SLOPPINESS=time_macros,include_file_mtime,include_file_ctime
fi
