// Recorded-play replays: plays a replay's input into the real game_main
// through the real frame pump (fake clock, the input's seed, an empty
// temporary working directory, the dummy video driver) and compares what the
// game leaves with the replay's expectation. Any change of a pixel on a marked
// frame, of a byte of a save file or of the frame the game stops in shows.
//
//   replay DIR/NAME [--pictures OUT]            plays NAME.input, compares with
//                                               NAME.expected; status 1 on a difference
//   replay DIR/NAME --record [--pictures OUT]   plays NAME.input, writes NAME.expected
//   replay DIR/NAME --author                    plays the scripted session NAME
//                                               (sessions.cpp), writes NAME.input
//
// --pictures writes marked frames as OUT/NAME.LABEL.png: every mark when
// recording, the differing ones when comparing.
//
// NAME.input, one line each ('#' starts a comment), frames counted from 1:
//   seed 12345           the random seed, set as the first frame ends
//   FRAME move X Y       pointer motion, in window pixels (the window stays 1x)
//   FRAME press          the left button goes down
//   FRAME release        and up again
//   FRAME keydown NAME   a key by its SDL name: Return, Escape, A, ...
//   FRAME keyup NAME
//   FRAME mark LABEL     checksum the back buffer as that frame left it
//   FRAME end            stop the game as that frame ends
// Events of a frame reach the game in the frame after it, in file order.
//
// NAME.expected: a header line, then the lines indented under it:
//   frames N                   the frames run (the end's, unless the game stopped first)
//   mark FRAME LABEL HASH      64-bit FNV-1a of the back buffer's pixels
//   file NAME SIZE             a file left in the working directory, then its
//     OFFSET  16 bytes in hex  bytes, sixteen a line
#include <SDL.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "tests/replay/sessions.h"
#include "testkit/back_buffer_png.h"

namespace {

enum Kind { MOVE, PRESS, RELEASE, KEY_DOWN, KEY_UP, MARK, END, KIND_COUNT };
const char* const KIND_NAMES[KIND_COUNT] = {"move", "press", "release", "keydown", "keyup", "mark", "end"};

struct InputLine {
    int frame = 0;
    Kind kind = END;
    int x = 0, y = 0;
    SDL_Keycode key = SDLK_UNKNOWN;
    std::string label;
};

struct Input {
    uint32_t seed = 12345;
    std::vector<InputLine> lines;
};

// An expectation cut into sections: the key is a header line without its last
// word, the value that word followed by the lines under the header.
using Sections = std::vector<std::pair<std::string, std::vector<std::string>>>;

std::string text_read(const std::filesystem::path& path, bool* ok)
{
    std::ifstream f(path, std::ios::binary);
    std::ostringstream text;
    text << f.rdbuf();
    *ok = bool(f);
    return text.str();
}

bool text_write(const std::filesystem::path& path, const std::string& text)
{
    std::ofstream f(path, std::ios::binary);
    f << text;
    f.close();
    return bool(f);
}

// Reads an input; a fault is printed with its line number and answers false.
bool input_parse(const std::string& path, const std::string& text, Input* in)
{
    std::istringstream lines(text);
    std::string row;
    std::set<std::string> labels;
    int number = 0;
    bool ended = false;
    auto fault = [&](const std::string& why) {
        std::fprintf(stderr, "%s:%d: %s\n", path.c_str(), number, why.c_str());
        return false;
    };
    while (std::getline(lines, row)) {
        ++number;
        std::istringstream words(row);
        std::string first, kind, rest;
        if (!(words >> first) || first[0] == '#')
            continue;
        if (ended)
            return fault("nothing may follow the end");
        if (first == "seed") {
            long long seed = -1;
            if (!(words >> seed) || seed < 0 || seed > UINT32_MAX || (words >> rest))
                return fault("seed wants one number from 0 to 4294967295");
            in->seed = uint32_t(seed);
            continue;
        }
        InputLine line;
        char* tail = nullptr;
        const long frame = std::strtol(first.c_str(), &tail, 10);
        const int last = in->lines.empty() ? 1 : in->lines.back().frame;
        if (*tail || frame < last || frame > 10000000)
            return fault("a line starts with its frame, from 1 and never going back");
        line.frame = int(frame);
        words >> kind;
        int k = 0;
        while (k < KIND_COUNT && kind != KIND_NAMES[k])
            ++k;
        if (k == KIND_COUNT)
            return fault("unknown kind '" + kind + "'");
        line.kind = Kind(k);
        if (line.kind == MOVE && !(words >> line.x >> line.y))
            return fault("move wants x and y");
        if (line.kind == KEY_DOWN || line.kind == KEY_UP) {
            std::getline(words >> std::ws, rest);
            line.key = SDL_GetKeyFromName(rest.c_str());
            if (line.key == SDLK_UNKNOWN)
                return fault("unknown key name '" + rest + "'");
        }
        if (line.kind == MARK && (!(words >> line.label) || !labels.insert(line.label).second))
            return fault("mark wants a label of its own");
        if (words >> rest)
            return fault("unexpected '" + rest + "'");
        ended = line.kind == END;
        in->lines.push_back(line);
    }
    if (!ended)
        return fault("the input has no end line");
    return true;
}

std::string input_line_text(const InputLine& line)
{
    std::string s = std::to_string(line.frame) + " " + KIND_NAMES[line.kind];
    if (line.kind == MOVE)
        s += " " + std::to_string(line.x) + " " + std::to_string(line.y);
    if (line.kind == KEY_DOWN || line.kind == KEY_UP)
        s += std::string(" ") + SDL_GetKeyName(line.key);
    if (line.kind == MARK)
        s += " " + line.label;
    return s + "\n";
}

// The SDL event of a pointer or key line, built as the scripted player builds it.
SDL_Event line_event(const InputLine& line)
{
    switch (line.kind) {
    case MOVE:
        return event_make(SDL_MOUSEMOTION, line.x, line.y);
    case PRESS:
    case RELEASE:
        return event_make(line.kind == PRESS ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP, 0, 0, SDL_BUTTON_LEFT);
    default:
        return event_make(line.kind == KEY_DOWN ? SDL_KEYDOWN : SDL_KEYUP, line.key);
    }
}

// The input line of an event the scripted player queued; false for an event
// no input line can say.
bool event_line(const SDL_Event& e, int frame, InputLine* line)
{
    line->frame = frame;
    switch (e.type) {
    case SDL_MOUSEMOTION:
        line->kind = MOVE;
        line->x = e.motion.x;
        line->y = e.motion.y;
        return true;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        line->kind = e.type == SDL_MOUSEBUTTONDOWN ? PRESS : RELEASE;
        return e.button.button == SDL_BUTTON_LEFT;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        line->kind = e.type == SDL_KEYDOWN ? KEY_DOWN : KEY_UP;
        line->key = e.key.keysym.sym;
        return true;
    default:
        return false;
    }
}

std::string back_buffer_hash()
{
    uint64_t h = 14695981039346656037ull;
    for (int i = 0; i < BACK_BUFFER_PIXELS; ++i) {
        h = (h ^ (back_buffer[i] & 0xFF)) * 1099511628211ull;
        h = (h ^ (back_buffer[i] >> 8)) * 1099511628211ull;
    }
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", (unsigned long long)h);
    return hex;
}

// The files the game left in the working directory, as expectation text.
std::string files_text()
{
    std::set<std::filesystem::path> names;
    for (const auto& entry : std::filesystem::directory_iterator("."))
        names.insert(entry.path().filename());
    std::string s;
    for (const auto& name : names) {
        bool ok = false;
        const std::string bytes = text_read(name, &ok);
        s += "file " + name.string() + " " + (ok ? std::to_string(bytes.size()) : "unreadable") + "\n";
        for (size_t at = 0; at < bytes.size(); at += 16) {
            char row[80];
            int n = std::snprintf(row, sizeof row, "  %04zx ", at);
            for (size_t i = at; i < at + 16 && i < bytes.size(); ++i)
                n += std::snprintf(row + n, sizeof row - size_t(n), " %02x", unsigned(uint8_t(bytes[i])));
            s += std::string(row) + "\n";
        }
    }
    return s;
}

Sections sections_read(const std::string& text)
{
    Sections sections;
    std::istringstream lines(text);
    std::string row;
    while (std::getline(lines, row)) {
        if (row.empty() || row[0] == '#')
            continue;
        if (row[0] == ' ' && !sections.empty()) {
            sections.back().second.push_back(row.substr(row.find_first_not_of(' ')));
            continue;
        }
        const size_t cut = row.find_last_of(' ');
        if (cut == std::string::npos)
            sections.push_back({row, {""}});
        else
            sections.push_back({row.substr(0, cut), {row.substr(cut + 1)}});
    }
    return sections;
}

const std::vector<std::string>* section_find(const Sections& sections, const std::string& key)
{
    for (const auto& [k, lines] : sections) {
        if (k == key)
            return &lines;
    }
    return nullptr;
}

// Prints every section that differs; answers how many do.
int differences_print(const Sections& want, const Sections& got)
{
    int count = 0;
    for (const auto& [key, lines] : want) {
        const std::vector<std::string>* seen = section_find(got, key);
        if (!seen) {
            std::printf("  %s: expected %s, but the replay left none\n", key.c_str(), lines[0].c_str());
            ++count;
        } else if (*seen != lines) {
            if (lines[0] != (*seen)[0])
                std::printf("  %s: expected %s, got %s\n", key.c_str(), lines[0].c_str(), (*seen)[0].c_str());
            else
                std::printf("  %s: differs\n", key.c_str());
            for (size_t i = 1; i < lines.size() || i < seen->size(); ++i) {
                const std::string a = i < lines.size() ? lines[i] : "(nothing)";
                const std::string b = i < seen->size() ? (*seen)[i] : "(nothing)";
                if (a != b) {
                    std::printf("    first difference:\n    expected  %s\n    got       %s\n", a.c_str(), b.c_str());
                    break;
                }
            }
            ++count;
        }
    }
    for (const auto& [key, lines] : got) {
        if (!section_find(want, key)) {
            std::printf("  %s: not expected (got %s)\n", key.c_str(), lines[0].c_str());
            ++count;
        }
    }
    return count;
}

// ---- One run of the game ---------------------------------------------------

// The run in progress: the frame hook is a plain function, so its state lives here.
struct Run {
    std::string name;
    std::filesystem::path base;       // DIR/NAME, absolute
    std::filesystem::path pictures;   // where marked frames go; empty for nowhere
    bool recording = false;
    Input input;
    Sections want;
    std::filesystem::path home, work;
    int frame = 0;
    size_t next = 0;                  // the first input line not played yet
    std::string marks;                // the mark sections, as expectation text
    bool finished = false;
};
Run run;

void picture_write(const std::string& label)
{
    const std::filesystem::path path = run.pictures / (run.name + "." + label + ".png");
    std::error_code error;
    std::filesystem::create_directories(run.pictures, error);
    if (back_buffer_png_write(path))
        std::printf("  picture %s\n", path.c_str());
    else
        std::printf("  cannot write %s\n", path.c_str());
}

void replay_hook()
{
    ++run.frame;
    // Seeded after start-up, as the scripted player seeds it.
    if (run.frame == 1)
        random_seed(run.input.seed);
    while (run.next < run.input.lines.size() && run.input.lines[run.next].frame == run.frame) {
        const InputLine& line = run.input.lines[run.next++];
        if (line.kind == END)
            throw GameStop{"end"};
        if (line.kind == MARK) {
            const std::string key = "mark " + std::to_string(line.frame) + " " + line.label;
            const std::string hash = back_buffer_hash();
            run.marks += key + " " + hash + "\n";
            const std::vector<std::string>* wanted = section_find(run.want, key);
            if (!run.pictures.empty() && (run.recording || !wanted || (*wanted)[0] != hash))
                picture_write(line.label);
            continue;
        }
        SDL_Event e = line_event(line);
        SDL_PushEvent(&e);
    }
}

// Ends the run: compares what the game left with the expectation, or records
// it. Also reached through exit() when the game ends the process itself
// (Escape, the window closed), so that such a run is judged too.
int run_finish()
{
    run.finished = true;
    frame_hook = nullptr;
    const std::string got = "# " + run.name + ": what its input leaves. Re-record on purpose with\n" +
                            "# scripts/replay --record " + run.name + "\n" + "frames " +
                            std::to_string(run.frame) + "\n" + run.marks + files_text();
    std::error_code error;
    std::filesystem::current_path(run.home, error);
    std::filesystem::remove_all(run.work, error);
    const std::filesystem::path expected = run.base.string() + ".expected";
    if (run.recording) {
        if (!text_write(expected, got)) {
            std::printf("replay %s: cannot write %s\n", run.name.c_str(), expected.c_str());
            return 2;
        }
        std::printf("replay %s: recorded %s\n", run.name.c_str(), expected.c_str());
        return 0;
    }
    const int count = differences_print(run.want, sections_read(got));
    std::printf("replay %s: %s\n", run.name.c_str(),
                count ? (std::to_string(count) + " difference(s) from " + expected.string()).c_str() : "as expected");
    return count ? 1 : 0;
}

void exit_judge()
{
    if (!run.finished && run.frame > 0) {
        const int status = run_finish();
        std::fflush(stdout);
        std::_Exit(status);
    }
}

// Moves into a fresh empty working directory; false when none can be made.
bool work_enter()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "zf_replay_XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        return false;
    run.home = std::filesystem::current_path();
    run.work = pattern;
    std::filesystem::current_path(run.work);
    FakeClock::install();
    return true;
}

int replay_play()
{
    bool ok = false;
    const std::string input_path = run.base.string() + ".input";
    const std::string text = text_read(input_path, &ok);
    if (!ok) {
        std::printf("replay: cannot read %s\n", input_path.c_str());
        return 2;
    }
    if (!input_parse(input_path, text, &run.input))
        return 2;
    if (!run.recording) {
        const std::string expected = text_read(run.base.string() + ".expected", &ok);
        if (!ok) {
            std::printf("replay: cannot read %s.expected (make it with --record)\n", run.base.c_str());
            return 2;
        }
        run.want = sections_read(expected);
    }
    if (!work_enter()) {
        std::printf("replay: no temporary directory\n");
        return 2;
    }
    std::atexit(exit_judge);
    frame_hook = replay_hook;
    try {
        game_main();
    } catch (const GameStop&) {
    }
    return run_finish();
}

// Plays the scripted session of the replay's name and writes what the player
// did, with the session's marks, as the replay's input.
std::vector<InputLine> authored;
GameDriver* author_driver = nullptr;

void author_hook()
{
    GameDriver::hook();
    SDL_Event queued[64];
    const int n = SDL_PeepEvents(queued, 64, SDL_PEEKEVENT, SDL_KEYDOWN, SDL_MOUSEWHEEL);
    for (int i = 0; i < n; ++i) {
        InputLine line;
        if (!event_line(queued[i], author_driver->frame, &line))
            throw GameStop{"the session queued an event an input cannot hold"};
        authored.push_back(line);
    }
}

int replay_author()
{
    std::string about;
    StepList steps{session_steps(run.name, &about)};
    if (steps.steps.empty()) {
        std::printf("replay: no scripted session is called %s\n", run.name.c_str());
        return 2;
    }
    if (!work_enter()) {
        std::printf("replay: no temporary directory\n");
        return 2;
    }
    GameDriver driver([&](GameDriver& d) { steps.run(d); }, run.input.seed, 100000);
    author_driver = &driver;
    driver.run_with([] {
        frame_hook = author_hook;
        game_main();
    });
    std::error_code error;
    std::filesystem::current_path(run.home, error);
    std::filesystem::remove_all(run.work, error);
    if (driver.stop_reason != "done") {
        std::printf("replay %s: the session stopped at step %zu of %zu (%s)\n", run.name.c_str(), steps.at,
                    steps.steps.size(), driver.stop_reason.empty() ? "the game ended" : driver.stop_reason.c_str());
        return 2;
    }
    InputLine end;
    end.frame = driver.frame;
    authored.push_back(end);
    std::string text = "# " + run.name + ": " + about + "\n" +
                       "# Made by scripts/replay --author " + run.name +
                       "; the format is described in tests/replay/replay.cpp.\n" +
                       "seed " + std::to_string(run.input.seed) + "\n";
    for (const InputLine& line : authored)
        text += input_line_text(line);
    const std::string path = run.base.string() + ".input";
    if (!text_write(path, text)) {
        std::printf("replay: cannot write %s\n", path.c_str());
        return 2;
    }
    std::printf("replay %s: wrote %s (%d frames)\n", run.name.c_str(), path.c_str(), driver.frame);
    return 0;
}

// A mark of the session being authored: the frame now on screen.
void mark_now(const std::string& label)
{
    InputLine line;
    line.frame = author_driver->frame;
    line.kind = MARK;
    line.label = label;
    authored.push_back(line);
}

}  // namespace

Step mark(const std::string& label)
{
    return act([label](GameDriver&) { mark_now(label); });
}

int main(int argc, char** argv)
{
    bool author = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--record") {
            run.recording = true;
        } else if (arg == "--author") {
            author = true;
        } else if (arg == "--pictures" && i + 1 < argc) {
            run.pictures = std::filesystem::absolute(argv[++i]);
        } else if (arg[0] != '-' && run.base.empty()) {
            run.base = std::filesystem::absolute(arg);
        } else {
            run.base.clear();
            break;
        }
    }
    if (run.base.empty()) {
        std::printf("usage: replay DIR/NAME [--record | --author] [--pictures OUT]\n");
        return 2;
    }
    run.name = run.base.filename().string();
    // The replays are the same pixels on every machine: never a real window.
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    return author ? replay_author() : replay_play();
}
