#!/usr/bin/env bash
# Redraws the golden pictures of the vector layer (Tests/Dependencies/NanoVG/Goldens),
# of the drawing backend on it (Tests/IGraphics/Goldens) and of the effect's
# editor, drawn on its own (Tests/Examples/Kestrine/Goldens) and as the
# stand-in host shows it (Tests/Tools/aaxhost/Goldens), from the native
# build, on purpose: run it after a deliberate change to what is drawn, look
# at every changed picture, and commit them with the change. The tests
# themselves never write a golden.
#
#   Tools/regenerate-vector-goldens.sh
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"

if [[ ! -f build/linux/CMakeCache.txt ]]; then
  cmake --preset linux >/dev/null
fi
cmake --build build/linux -j2 --target kvg_tests igraphics_nanovg_tests kestrine_editor_tests \
  aaxhost_editor_tests aaxhost kestrine_module

. Tools/xvfb.sh
if [[ -z "${DISPLAY:-}" ]]; then
  xvfb_start
fi
trap xvfb_stop EXIT

KVG_WRITE_GOLDENS=1 build/linux/Tests/Dependencies/NanoVG/kvg_tests --gtest_filter='SceneTest.*MatchTheirGoldens'
KVG_WRITE_GOLDENS=1 build/linux/Tests/IGraphics/igraphics_nanovg_tests \
  --gtest_filter='NanoVGTest.ScenesMatchTheirGoldens:NanoVGTest.RedrawingOneDirtyRegionLeavesTheRestAsItWas'
KVG_WRITE_GOLDENS=1 build/linux/Tests/Examples/Kestrine/kestrine_editor_tests \
  --gtest_filter='KestrineEditorTest.DrawsAsTheStoredPicturesAtEachScale'
AAXHOST_WRITE_GOLDENS=1 build/linux/Tests/Tools/aaxhost/aaxhost_editor_tests \
  --gtest_filter='Scales/AAXHostEditorGolden.*'
git status --short -- Tests/Dependencies/NanoVG/Goldens Tests/IGraphics/Goldens Tests/Examples/Kestrine/Goldens \
  Tests/Tools/aaxhost/Goldens
