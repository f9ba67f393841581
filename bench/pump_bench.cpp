// The game as the player meets it, through the real frame pump: the cost of
// each kind of frame of a drag at the largest level, what an idle screen costs
// the processor, how steadily the pump keeps 40 frames a second, and how long
// the program takes from exec to its first picture.
#include <benchmark/benchmark.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "bench_support.h"
#include "assets/assets.h"
#include "game/level.h"
#include "game/level_clock.h"
#include "game/pause_screen.h"
#include "game/play_internal.h"
#include "game/screens.h"
#include "game/shared_pictures.h"
#include "gfx/pixel.h"
#include "gfx/slot.h"
#include "shell/present.h"
#include "testkit/player.h"

namespace {

// The platform's own clock and sleep.
const auto REAL_TICKS = platform_ticks_us;
const auto REAL_DELAY = platform_delay_us;
uint64_t real_clock_shift = 0;

uint64_t shifted_ticks()
{
    return REAL_TICKS() + real_clock_shift;
}

// Back on real time, continuing from whatever clock the pump paced on last.
// A fake clock runs far ahead of the real one; jumping back would leave the
// pump waiting for a deadline that lies seconds away.
void real_clock_resume()
{
    const uint64_t now = platform_ticks_us();
    real_clock_shift = 0;
    real_clock_shift = now > REAL_TICKS() ? now - REAL_TICKS() : 0;
    platform_ticks_us = shifted_ticks;
    platform_delay_us = REAL_DELAY;
}

constexpr int PUMP_VERTICES = 510;
constexpr uint32_t PUMP_SEED = 4242;
constexpr int DRAG_MOVES = 24;                 // motion frames between press and release
constexpr int16_t DRAG_STEP = 3;
constexpr double IDLE_SECONDS = 10.0;

double seconds_now()
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

double thread_cpu_seconds()
{
    timespec ts;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

double process_cpu_seconds()
{
    rusage use;
    getrusage(RUSAGE_SELF, &use);
    return double(use.ru_utime.tv_sec + use.ru_stime.tv_sec) + double(use.ru_utime.tv_usec + use.ru_stime.tv_usec) * 1e-6;
}

// Starts the engine once for all the benchmarks here (and again after one
// elsewhere shut the platform down), keeping the shell's "Loading..." line out
// of the report. Starting the window system over and over is not what is
// measured, and on a real display it now and then fails.
void quiet_engine_start(benchmark::State& state)
{
    if (SDL_WasInit(SDL_INIT_VIDEO)) {
        input_reset();
        return;
    }
    std::fflush(stdout);
    const int saved = dup(1);
    const int sink = open("/dev/null", O_WRONLY);
    dup2(sink, 1);
    close(sink);
    const int result = engine_start();
    std::fflush(stdout);
    dup2(saved, 1);
    close(saved);
    if (result != 0)
        state.SkipWithError(platform_error());
}

// Runs frames until the pump shows the view at the scale asked for.
bool view_scale_set(bool doubled)
{
    // A request the pump made itself is not repeated within a few frames.
    for (int i = 0; i < 10; ++i)
        frame_step();
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.event = SDL_WINDOWEVENT_RESIZED;
    e.window.data1 = doubled ? 480 : 240;
    e.window.data2 = doubled ? 640 : 320;
    SDL_PushEvent(&e);
    frame_step();
    frame_step();
    return view_doubled == (doubled ? 1 : 0);
}

enum FrameKind { FRAME_IDLE, FRAME_PRESS, FRAME_DRAG_RECOLOUR, FRAME_DRAG, FRAME_RELEASE, FRAME_KINDS };
const char* const FRAME_KIND_NAMES[FRAME_KINDS] = {"idle", "press", "drag_recolour", "drag_plain", "release"};

// The kind of frame the play loop is about to run, told from the input view
// the pump has just computed. The loop recolours on every fourth frame of a
// drag, counting the press frame as the first. Each frame is timed twice: by
// the processor time of this thread, which a shared machine's other work does
// not inflate, and by the wall clock, which also holds the time spent waiting
// for the window system.
struct FrameClock {
    double last_cpu = -1, last_wall = 0;
    int next_kind = FRAME_IDLE;
    int drag_frames = 0;
    std::vector<double> cpu[FRAME_KINDS];
    std::vector<double> wall[FRAME_KINDS];
    std::vector<double> sent[FRAME_KINDS];     // share of the screen the frame sent to the window

    void tick()
    {
        const double now_cpu = thread_cpu_seconds(), now_wall = seconds_now();
        if (last_cpu >= 0) {
            cpu[next_kind].push_back(now_cpu - last_cpu);
            wall[next_kind].push_back(now_wall - last_wall);
            int area = 0;
            for (int k = 0; k < present_part_count; ++k)
                area += present_parts[k].width * present_parts[k].height;
            sent[next_kind].push_back(double(area) / BACK_BUFFER_PIXELS);
        }
        last_cpu = now_cpu;
        last_wall = now_wall;
        if (pointer_pressed) {
            next_kind = FRAME_PRESS;
            drag_frames = 1;
        } else if (pointer_released) {
            next_kind = FRAME_RELEASE;
        } else if (pointer_down) {
            drag_frames = (drag_frames + 1) & 3;
            next_kind = drag_frames == 0 ? FRAME_DRAG_RECOLOUR : FRAME_DRAG;
        } else {
            next_kind = FRAME_IDLE;
        }
    }
};

double mean_of(const std::vector<double>& v)
{
    double sum = 0;
    for (double t : v)
        sum += t;
    return v.empty() ? 0 : sum / double(v.size());
}

// Starts the engine at the given scale on the fake clock or the real one and
// loads the game's pictures; false, with the benchmark skipped and the window
// system shut, when the engine or the scale would not take.
bool pump_ready(benchmark::State& state, int doubled, bool fake_clock)
{
    quiet_engine_start(state);
    if (fake_clock)
        FakeClock::install();
    else
        real_clock_resume();
    if (!state.error_occurred() && !view_scale_set(doubled != 0))
        state.SkipWithError("the window would not take the scale");
    if (state.error_occurred()) {
        platform_quit();
        return false;
    }
    resources_ready();
    return true;
}

// One kind of frame of a drag at 510 vertices, through play_level and
// frame_step: the press (the unmoving scene rendered into the cache, then the
// frame), the drag frames with and without the recolouring, and the release
// (recoloured, everything composed again). Each iteration is one drag of the
// vertex back and forth by a few pixels; its time is the processor time of
// the frames of the kind in that drag, on average, and the counters give the
// slowest of them all and the wall-clock average. The pump paces on a clock
// that never waits, so only the work is timed; presentation goes to whatever
// window SDL_VIDEODRIVER gives.
void pump_frame_bench(benchmark::State& state, int kind, int doubled, int)
{
    if (!pump_ready(state, doubled, true))
        return;
    level_make(PUMP_VERTICES, LAYOUT_CIRCLE, PUMP_SEED);
    circle_place(PUMP_VERTICES);
    const uint8_t level = uint8_t(PUMP_VERTICES / 5);
    level_hud_show(level);
    pause_sprites_show();
    smooth_lines = 0;
    colour_edges();
    release_reset();
    const int picked = PUMP_VERTICES / 3;
    const int16_t home_x = vertices[picked].x, home_y = vertices[picked].y;

    // One drag, press to release. A window system may slip an event of its
    // own into it (the pointer entering the window), so a drag that did not
    // yield the frame wanted is made again.
    auto drag = [&](FrameClock& clock) {
        bool dragged = false;
        GameDriver driver(
            [&](GameDriver& d) {
                if (dragged)
                    return;
                dragged = true;
                d.press(home_x, home_y);
                for (int k = 1; k <= DRAG_MOVES; ++k)
                    d.move(home_x + (k & 1) * DRAG_STEP, home_y + (k & 1) * DRAG_STEP);
                d.release(0);
            },
            PUMP_SEED, 4 * DRAG_MOVES);
        driver.watch = [&] {
            clock.tick();
            if (!clock.cpu[FRAME_RELEASE].empty())
                throw GameStop{"released"};
        };
        driver.run_with([&] { play_level(level, LAYOUT_CIRCLE); });
        compose_enabled = 1;
        soft_timer_modes[LEVEL_CLOCK] = TIMER_STOPPED;
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
        button_held = 0;
        frame_step();
        frame_step();
    };

    double worst_cpu = 0, wall_sum = 0, sent_sum = 0;
    int wall_count = 0;
    for (auto _ : state) {
        FrameClock clock;
        for (int attempt = 0; attempt < 5 && clock.cpu[kind].empty(); ++attempt) {
            clock = FrameClock();
            drag(clock);
        }
        if (clock.cpu[kind].empty()) {
            state.SkipWithError("no frame of this kind");
            break;
        }
        for (double t : clock.cpu[kind])
            worst_cpu = t > worst_cpu ? t : worst_cpu;
        for (double t : clock.wall[kind])
            wall_sum += t, ++wall_count;
        sent_sum += mean_of(clock.sent[kind]);
        state.SetIterationTime(mean_of(clock.cpu[kind]));
    }
    state.counters["worst_cpu_us"] = worst_cpu * 1e6;
    state.counters["wall_us"] = wall_count ? wall_sum / wall_count * 1e6 : 0;
    state.counters["sent_percent"] = state.iterations() ? 100.0 * sent_sum / double(state.iterations()) : 0;
    real_clock_resume();
    release_reset();
}

// A process that keeps one core busy until it is killed.
pid_t core_burner_start()
{
    const pid_t child = fork();
    if (child == 0) {
        volatile uint64_t spin = 0;
        for (;;)
            spin = spin + 1;
    }
    return child;
}

void core_burner_stop(pid_t child)
{
    if (child <= 0)
        return;
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
}

enum IdleScreen { IDLE_TITLE, IDLE_MENU, IDLE_CHOOSER, IDLE_PAUSED };

// Ten seconds of an idle screen on the real clock and the real sleep: the
// process's processor time (user and system) per second of wall time, and the
// frames the pump released per second. With `burn`, another process keeps a
// core busy meanwhile. The benchmark's time is the processor time per frame.
void idle_screen_bench(benchmark::State& state, int screen, int burn, int doubled)
{
    if (!pump_ready(state, doubled, false))
        return;
    // Nothing of an earlier benchmark's level stays on the screen.
    sprite_table_clear();
    shape_list_clear(EDGE_SLOT);
    vertex_count = 0;
    surface_slots[CACHE_SLOT].opacity = 0;
    surface_slots[BACKGROUND_SLOT].opacity = OPACITY_FULL;
    if (screen == IDLE_PAUSED) {
        level_make(PUMP_VERTICES, LAYOUT_CIRCLE, PUMP_SEED);
        level_hud_show(uint8_t(PUMP_VERTICES / 5));
        pause_sprites_show();
        smooth_lines = 0;
        colour_edges();
    }
    for (auto _ : state) {
        const pid_t burner = burn ? core_burner_start() : 0;
        double start = 0, cpu_start = 0;
        int frames = -1;
        GameDriver driver(
            [&](GameDriver& d) {
                const bool waiting = screen == IDLE_TITLE     ? title_waiting()
                                     : screen == IDLE_MENU    ? menu_waiting()
                                     : screen == IDLE_CHOOSER ? chooser_waiting()
                                                              : paused();
                if (!waiting) {
                    if (screen == IDLE_PAUSED && in_play())
                        d.key_tap(SDLK_RETURN);
                    return;
                }
                if (frames < 0) {
                    frames = 0;
                    start = seconds_now();
                    cpu_start = process_cpu_seconds();
                    return;
                }
                ++frames;
                if (seconds_now() - start >= IDLE_SECONDS)
                    throw GameStop{"done"};
            },
            PUMP_SEED, 1 << 30);
        driver.run_with([&] {
            if (screen == IDLE_TITLE) {
                title_screen();
            } else if (screen == IDLE_MENU) {
                image_reload(menu_captions_image, img_menu_captions);
                sprite_create(SPRITE_TITLE, title_logo_image, PIC_TITLE_LOGO, SCREEN_CENTRE_X,
                              int16_t(layout_centre_y - 6))->layer = UI_LAYER_TITLE;
                main_menu(true);
            } else if (screen == IDLE_CHOOSER) {
                level_chooser(0);
            } else {
                play_level(uint8_t(PUMP_VERTICES / 5), LAYOUT_CIRCLE);
            }
        });
        const double wall = seconds_now() - start;
        const double cpu = process_cpu_seconds() - cpu_start;
        core_burner_stop(burner);
        state.SetIterationTime(frames > 0 ? cpu / frames : 0);
        state.counters["core_percent"] = 100.0 * cpu / wall;
        state.counters["frames_per_second"] = frames / wall;
    }
    // The screen was left in the middle of its wait: undo what it had set.
    compose_enabled = 1;
    soft_timer_modes[LEVEL_CLOCK] = TIMER_STOPPED;
    sprite_active_set(SPRITE_PAUSE_CAPTION, 0);
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    button_held = 0;
    return_raw = 0;
    sprite_active_set(SPRITE_TITLE, 0);
    for (int i = 0; i < MENU_ROWS; ++i)
        sprite_active_set(SPRITE_MENU_BASE + i, 0);
}

// What waking 40 times a second costs this machine by itself: ten seconds of
// the pump's own sleep to a deadline every 25 ms and nothing else, or that
// and a drain of the window system's events (`with_events`), which is all a
// frozen screen adds. The idle screens above are measured against these.
void idle_floor_bench(benchmark::State& state, int with_events, int, int)
{
    if (with_events && !pump_ready(state, 0, false))
        return;
    const auto ticks = REAL_TICKS;
    for (auto _ : state) {
        const double start = seconds_now();
        const double cpu_start = process_cpu_seconds();
        int frames = 0;
        uint64_t deadline = ticks();
        while (seconds_now() - start < IDLE_SECONDS) {
            deadline += uint64_t(FRAME_PERIOD_MS) * 1000u;
            const uint64_t now = ticks();
            if (deadline > now)
                REAL_DELAY(uint32_t(deadline - now));
            PlatformEvent event;
            while (with_events && platform_event_poll(&event)) {
            }
            ++frames;
        }
        const double wall = seconds_now() - start;
        const double cpu = process_cpu_seconds() - cpu_start;
        state.SetIterationTime(cpu / frames);
        state.counters["core_percent"] = 100.0 * cpu / wall;
        state.counters["frames_per_second"] = frames / wall;
    }
}

// From exec of the game to its first presented frame: the program on the
// dummy video driver, told by SDL to save every frame it shows as a picture
// file in a fresh directory, and the time until the first such file is
// complete. It includes the pump's fixed hold of the first frame (32 ms).
void exec_first_frame_bench(benchmark::State& state, int, int, int)
{
    for (auto _ : state) {
        char dir[] = "/tmp/zf_exec_XXXXXX";
        if (!mkdtemp(dir)) {
            state.SkipWithError("no scratch directory");
            break;
        }
        const int watch = inotify_init1(IN_NONBLOCK);
        inotify_add_watch(watch, dir, IN_CLOSE_WRITE);
        const double start = seconds_now();
        const pid_t child = fork();
        if (child == 0) {
            if (chdir(dir) != 0)
                _exit(2);
            const int sink = open("/dev/null", O_WRONLY);
            dup2(sink, 1);
            setenv("SDL_VIDEODRIVER", "dummy", 1);
            setenv("SDL_VIDEO_DUMMY_SAVE_FRAMES", "1", 1);
            execl(ZF_PROGRAM, ZF_PROGRAM, static_cast<char*>(nullptr));
            _exit(3);
        }
        double seen = 0;
        char events[4096];
        while (seen == 0 && seconds_now() - start < 5.0) {
            pollfd p = {watch, POLLIN, 0};
            if (poll(&p, 1, 100) <= 0)
                continue;
            const ssize_t n = read(watch, events, sizeof events);
            for (ssize_t at = 0; at < n;) {
                const inotify_event* e = reinterpret_cast<const inotify_event*>(events + at);
                if (e->len && std::strstr(e->name, ".bmp"))
                    seen = seconds_now();
                at += ssize_t(sizeof(inotify_event) + e->len);
            }
        }
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        close(watch);
        std::string clean = std::string("rm -rf ") + dir;
        if (std::system(clean.c_str()) != 0 || seen == 0) {
            state.SkipWithError("no frame was presented");
            break;
        }
        state.SetIterationTime(seen - start);
    }
}

bool pump_benchmarks_register()
{
    for (int doubled : {0, 1}) {
        for (int kind = FRAME_PRESS; kind < FRAME_KINDS; ++kind) {
            const std::string name = std::string("pump_frame/n:510/") + (doubled ? "2x/" : "1x/") + FRAME_KIND_NAMES[kind];
            bench_register(name.c_str(), pump_frame_bench, kind, doubled, 0)->UseManualTime()->Iterations(40);
        }
    }
    const char* const screens[] = {"title", "menu", "chooser", "paused"};
    for (int doubled : {0, 1}) {
        for (int screen : {IDLE_TITLE, IDLE_MENU, IDLE_CHOOSER, IDLE_PAUSED}) {
            const std::string name = std::string("idle_10s/") + (doubled ? "2x/" : "1x/") + screens[screen];
            bench_register(name.c_str(), idle_screen_bench, screen, 0, doubled)
                ->UseManualTime()
                ->Iterations(1)
                ->Repetitions(2);
        }
    }
    bench_register("idle_10s/1x/title/other_core_busy", idle_screen_bench, IDLE_TITLE, 1, 0)
        ->UseManualTime()
        ->Iterations(1)
        ->Repetitions(2);
    for (int with_events : {0, 1})
        bench_register(with_events ? "idle_10s/floor/sleep_and_events" : "idle_10s/floor/sleep_only", idle_floor_bench,
                       with_events, 0, 0)
            ->UseManualTime()
            ->Iterations(1)
            ->Repetitions(2);
    bench_register("startup/exec_to_first_frame", exec_first_frame_bench, 0, 0, 0)->UseManualTime()->Iterations(5);
    return true;
}

const bool pump_benchmarks = pump_benchmarks_register();

} // namespace
