// Writes the fuzz targets' starting inputs under the directory given: profiles
// and level files made by the game's own writers, text-row inputs, and small
// PNG and GIF files of the kinds the embedded pictures do not cover (grey,
// 16-bit, low bit depths, transparency chunks, interlacing, several images).
// The embedded pictures themselves are copied in by scripts/fuzz.
#include <gif_lib.h>
#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "storage/level_file.h"
#include "storage/profile.h"

static std::string seed_root;

static void fail(const std::string& what)
{
    std::fprintf(stderr, "fuzz_seeds: %s\n", what.c_str());
    std::exit(1);
}

static std::string dir_make(const char* target)
{
    const std::string dir = seed_root + "/" + target;
    if (mkdir(dir.c_str(), 0755) != 0 && errno != EEXIST)
        fail("cannot make " + dir);
    return dir;
}

static void bytes_put(const std::string& path, const std::vector<uint8_t>& bytes)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f || (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size()) || std::fclose(f) != 0)
        fail("cannot write " + path);
}

static std::vector<uint8_t> bytes_get(const char* path)
{
    std::vector<uint8_t> bytes;
    FILE* f = std::fopen(path, "rb");
    if (!f)
        fail(std::string("cannot read ") + path);
    int c;
    while ((c = std::fgetc(f)) != EOF)
        bytes.push_back(uint8_t(c));
    std::fclose(f);
    return bytes;
}

static void profiles_write()
{
    const std::string dir = dir_make("profile");
    Profile& p = profile;
    profile_open((dir + "/fresh").c_str());
    profile_reset(&p);
    profile_write();

    profile_open((dir + "/played").c_str());
    profile_reset(&p);
    for (int i = 0; i < LEVELS_OPEN_COUNT; ++i)
        p.levels_open[i] = uint32_t(i * 7 + 2);
    for (int i = 0; i < BEST_TIME_LEVELS; ++i)
        p.best_times[i] = uint16_t(i < 60 ? 5 + i * 13 : 0);
    for (int i = 0; i < TOP_SCORE_COUNT; ++i)
        p.top_scores[i] = 9000 - i * 700;
    profile_write();

    profile_open((dir + "/full").c_str());
    std::memset(&p, 0xFF, sizeof p);
    p.profile_version = 2;
    for (int i = 0; i < BEST_TIME_LEVELS; ++i)
        p.best_times[i] = BEST_TIME_CAP_S;
    profile_write();

    bytes_put(dir + "/short", {2, 0, 0, 0, 5, 0});
}

// A ring of the vertex count level L's slot holds.
static const SavedGame& ring_make(uint8_t level, uint32_t clock)
{
    static SavedGame g;
    std::memset(&g, 0, sizeof g);
    const int n = saved_slot_vertices(level - 1);
    g.vertex_count = uint16_t(n);
    g.clock_ms = clock;
    for (int i = 0; i < n; ++i) {
        SavedVertex& v = g.vertices[i];
        v.x = int16_t(20 + (i * 37) % 200);
        v.y = int16_t(40 + (i * 53) % 240);
        v.facing = uint8_t(i % 8);
        v.degree = n > 2 ? 2 : 1;
        v.neighbours[0] = int16_t((i + 1) % n);
        v.neighbours[1] = int16_t((i + n - 1) % n);
    }
    // A chord, so some vertices have three edges.
    if (n >= 6) {
        g.vertices[0].neighbours[g.vertices[0].degree++] = int16_t(n / 2);
        g.vertices[n / 2].neighbours[g.vertices[n / 2].degree++] = 0;
    }
    return g;
}

// Each seed is made in a clean working directory by the game's writer and
// then moved to its own name.
static void level_files_write()
{
    const std::string dir = dir_make("level_file");
    if (chdir(dir.c_str()) != 0)
        fail("cannot enter " + dir);
    char name[64];
    level_file_name(0, name, sizeof name);
    const std::string resume_dir = dir_make("resume");
    // Each level file is also a resume seed: a script that resumes `slot`,
    // presses its first creature and drags it a little, then the file.
    auto keep = [&](const char* as, uint8_t slot) {
        const std::vector<uint8_t> file = bytes_get(name);
        bytes_put(dir + "/" + as, file);
        std::vector<uint8_t> seed = {slot, 0, 0, 0, 12, 6, uint8_t(-20), 30};
        seed.insert(seed.end(), file.begin(), file.end());
        bytes_put(resume_dir + "/" + as, seed);
        std::remove(name);
    };

    saved_game_write(1, 0, ring_make(1, 1500));
    keep("level1", 0);

    saved_game_write(3, 0, ring_make(3, 61000));
    keep("level3_padded", 2);

    for (uint8_t level = 1; level <= 4; ++level)
        saved_game_write(level, 0, ring_make(level, level * 1000u));
    saved_flag_clear(2, 0);
    keep("levels1to4_cleared2", 3);

    // Creatures at the ends of the 16-bit range: never resumed.
    SavedGame far = ring_make(2, 900);
    far.vertices[0].x = INT16_MAX;
    far.vertices[3].x = INT16_MIN;
    far.vertices[5].y = INT16_MAX;
    saved_game_write(2, 0, far);
    keep("level2_far_creatures", 1);

    saved_game_write(2, 0, ring_make(2, 7));
    std::vector<uint8_t> bytes = bytes_get(name);
    std::remove(name);
    bytes.resize(bytes.size() - 30);
    bytes_put(dir + "/level2_cut", bytes);
    bytes_put(dir + "/flags_only", std::vector<uint8_t>(SAVED_FLAG_COUNT, 1));
    if (chdir(seed_root.c_str()) != 0)
        fail("cannot go back to " + seed_root);
}

static std::vector<uint8_t> text_input(int16_t x0, int16_t y0, int16_t x1, int16_t y1, uint8_t align,
                                       int32_t max_glyphs, const char* text)
{
    std::vector<uint8_t> b;
    for (int16_t v : {x0, y0, x1, y1}) {
        b.push_back(uint8_t(v));
        b.push_back(uint8_t(uint16_t(v) >> 8));
    }
    b.push_back(align);
    b.push_back(1);    // letter gap, as the game sets it
    b.push_back(0);    // line gap
    for (int k = 0; k < 4; ++k)
        b.push_back(uint8_t(uint32_t(max_glyphs) >> (8 * k)));
    b.push_back(0);    // entry
    b.push_back(32);   // opacity
    b.push_back(0);    // clip index
    b.insert(b.end(), text, text + std::strlen(text));
    return b;
}

static void text_inputs_write()
{
    const std::string dir = dir_make("text");
    bytes_put(dir + "/score_line", text_input(0, 303, 239, 320, 2, 100, "LEVEL 12  TIME 01:23"));
    bytes_put(dir + "/two_digits", text_input(0, 0, 239, 319, 2, 100, "12"));
    bytes_put(dir + "/wrapped", text_input(10, 10, 60, 319, 0, 100, "ab cd efgh ij klmnop"));
    bytes_put(dir + "/justified",
              text_input(0, 0, 120, 319, 3, 0x1000000, "Drag the creatures until no two lines cross at all."));
    bytes_put(dir + "/line_feeds", text_input(5, 5, 200, 60, 1, 100, "one\ntwo \nthree\n\nfour five six seven"));
    bytes_put(dir + "/no_space", text_input(0, 0, 30, 319, 0, 5, "abcdefghijklmnopqrstuvwxyz"));
}

struct PngKind {
    const char* name;
    int width, height, depth, colour, interlace;
    bool trns;
};

// A small picture of the given kind through libpng's writer; sample values
// make a diagonal pattern so rows differ.
static void png_write(const std::string& path, const PngKind& k)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        fail("cannot write " + path);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png)))
        fail("libpng could not write " + path);
    png_init_io(png, f);
    png_set_IHDR(png, info, k.width, k.height, k.depth, k.colour, k.interlace, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (k.colour == PNG_COLOR_TYPE_PALETTE) {
        png_color palette[16];
        for (int i = 0; i < 16; ++i)
            palette[i] = png_color{png_byte(i * 16), png_byte(255 - i * 16), png_byte(i == 3 ? 255 : i * 8)};
        png_set_PLTE(png, info, palette, 1 << (k.depth < 4 ? k.depth : 4));
    }
    if (k.trns) {
        png_byte alphas[4] = {0, 128, 255, 40};
        png_color_16 key = {0, 1, 1, 1, 1};
        if (k.colour == PNG_COLOR_TYPE_PALETTE)
            png_set_tRNS(png, info, alphas, 4, nullptr);
        else
            png_set_tRNS(png, info, nullptr, 0, &key);
    }
    png_write_info(png, info);
    const int passes = png_set_interlace_handling(png);
    const size_t row_bytes = png_get_rowbytes(png, info);
    std::vector<png_byte> row(row_bytes);
    for (int pass = 0; pass < passes; ++pass)
        for (int y = 0; y < k.height; ++y) {
            for (size_t i = 0; i < row_bytes; ++i)
                row[i] = png_byte((i + size_t(y) * 3) * 29);
            png_write_row(png, row.data());
        }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
}

static void pngs_write()
{
    const std::string dir = dir_make("png");
    const PngKind kinds[] = {
        {"grey1", 13, 5, 1, PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE, false},
        {"grey8_trns", 7, 6, 8, PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE, true},
        {"grey_alpha", 6, 4, 8, PNG_COLOR_TYPE_GRAY_ALPHA, PNG_INTERLACE_NONE, false},
        {"rgb16", 5, 5, 16, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, false},
        {"rgba16", 4, 3, 16, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, false},
        {"palette2_trns", 9, 4, 2, PNG_COLOR_TYPE_PALETTE, PNG_INTERLACE_NONE, true},
        {"rgb_trns", 6, 6, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, true},
        {"rgba_interlaced", 8, 8, 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_ADAM7, false},
        {"sheet64x16", 64, 16, 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, false},
    };
    for (const PngKind& k : kinds)
        png_write(dir + "/" + k.name + ".png", k);
}

// A GIF of `images` images stacked in a logical screen of width x height,
// with a graphics control extension before each and the key colour at index 5.
static void gif_write(const std::string& path, int width, int height, int images, bool interlace, bool local_maps)
{
    int error = 0;
    GifFileType* gif = EGifOpenFileName(path.c_str(), false, &error);
    if (!gif)
        fail("giflib could not create " + path);
    GifColorType colours[8];
    for (int i = 0; i < 8; ++i)
        colours[i] = GifColorType{GifByteType(i * 30), GifByteType(200 - i * 20), GifByteType(i * 10)};
    colours[5] = GifColorType{255, 0, 255};
    ColorMapObject* map = GifMakeMapObject(8, colours);
    EGifSetGifVersion(gif, true);
    EGifPutScreenDesc(gif, width, height, 3, 0, map);
    const int rows = height / images;
    for (int n = 0; n < images; ++n) {
        const GifByteType control[4] = {1, 10, 0, 5};
        EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, sizeof control, control);
        EGifPutImageDesc(gif, 0, 0, width, rows, interlace, local_maps ? map : nullptr);
        std::vector<GifPixelType> line(static_cast<size_t>(width));
        for (int y = 0; y < rows; ++y) {
            for (int x = 0; x < width; ++x)
                line[size_t(x)] = GifPixelType((x + y + n) % 8);
            EGifPutLine(gif, line.data(), width);
        }
    }
    GifFreeMapObject(map);
    EGifCloseFile(gif, &error);
}

static void gifs_write()
{
    const std::string dir = dir_make("gif");
    gif_write(dir + "/strip3.gif", 6, 18, 3, false, false);
    gif_write(dir + "/interlaced.gif", 9, 11, 1, true, true);
}

int main(int argc, char** argv)
{
    if (argc != 2)
        fail("usage: fuzz_seeds OUTPUT_DIRECTORY");
    seed_root = argv[1];
    mkdir(seed_root.c_str(), 0755);
    profiles_write();
    level_files_write();
    text_inputs_write();
    pngs_write();
    gifs_write();
    return 0;
}
