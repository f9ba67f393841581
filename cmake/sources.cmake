# The game's source files, folder by folder, each .cpp beside its header.
# Included by the top-level build and by fuzz/ (which builds the same files
# with libFuzzer); paths are relative to the repository root, ZF_ROOT.
# A new file is added here by hand, so that a stray file never joins the
# build unseen.
set(ZF_GEOMETRY_SOURCES
  geometry/random.cpp
  geometry/trig.cpp
)
set(ZF_GFX_SOURCES
  gfx/blit.cpp
  gfx/font.cpp
  gfx/image.cpp
  gfx/pixel.cpp
  gfx/slot.cpp
)
set(ZF_SCENE_SOURCES
  scene/compose.cpp
  scene/shape.cpp
  scene/sprite.cpp
  scene/text.cpp
)
set(ZF_STORAGE_SOURCES
  storage/level_file.cpp
  storage/profile.cpp
  storage/save_file.cpp
)
set(ZF_SHELL_SOURCES
  shell/engine.cpp
  shell/frame.cpp
  shell/input.cpp
  shell/present.cpp
)
set(ZF_GAME_SOURCES
  game/digit_frames.cpp
  game/edge_grid.cpp
  game/flow.cpp
  game/graph.cpp
  game/graph_file.cpp
  game/graph_generate.cpp
  game/hiscores.cpp
  game/layout.cpp
  game/level.cpp
  game/level_caption.cpp
  game/level_clock.cpp
  game/mode.cpp
  game/pause_screen.cpp
  game/play.cpp
  game/recolour.cpp
  game/screens.cpp
  game/shared_pictures.cpp
  game/times_up_screen.cpp
  game/ui.cpp
)

# The platform layer, one of the two: SDL2 on the desktop, the page's own
# interfaces in the browser (scripts/web).
set(ZF_PLATFORM_SDL_SOURCE shell/platform.cpp)
set(ZF_PLATFORM_WEB_SOURCE shell/platform_web.cpp)

# The process entry: main() and nothing else, outside every library.
set(ZF_ENTRY_SOURCE shell/main.cpp)

foreach(list GEOMETRY GFX SCENE STORAGE SHELL GAME)
  list(TRANSFORM ZF_${list}_SOURCES PREPEND ${ZF_ROOT}/)
endforeach()
foreach(file PLATFORM_SDL PLATFORM_WEB ENTRY)
  set(ZF_${file}_SOURCE ${ZF_ROOT}/${ZF_${file}_SOURCE})
endforeach()
