// Fuzz target: a profile file holding any bytes. Decoding them straight and
// loading them through profile_open must agree, stay inside the record, and
// give back the file's first 284 bytes (zeros past a short file) when encoded.
#include <cstdint>
#include <cstring>

#include "fuzz_support.h"
#include "storage/profile.h"

static const char* const PROFILE_FILE = "Zembrolfink.sav";

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz_directory_enter();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const int32_t length = size > INT32_MAX ? INT32_MAX : int32_t(size);
    Profile decoded;
    std::memset(&decoded, 0xA5, sizeof decoded);
    profile_decode(data, length, &decoded);

    uint8_t image[PROFILE_SIZE] = {};
    std::memcpy(image, data, size < sizeof image ? size : sizeof image);
    uint8_t encoded[PROFILE_SIZE];
    profile_encode(decoded, encoded);
    FUZZ_CHECK(std::memcmp(encoded, image, sizeof image) == 0, "decoded profile does not encode back");

    fuzz_file_put(PROFILE_FILE, data, size);
    std::memset(&profile, 0x5A, sizeof profile);
    FUZZ_CHECK(profile_open("Zembrolfink") == 1, "an existing profile did not open");
    const Profile loaded = profile;
    profile_encode(loaded, encoded);
    FUZZ_CHECK(std::memcmp(encoded, image, sizeof image) == 0, "loaded profile differs from the file");

    // The upkeep rules on whatever the file held; a level from the input's
    // last byte, and the record written back whole.
    const uint8_t level = size > 0 ? data[size - 1] : 1;
    profile = loaded;
    profile_level_solved(level, uint8_t(level % 11), uint8_t(level & 1), uint32_t(level) * 40000u, nullptr);
    profile_score_insert(int32_t(level) * 1000 - 5000);
    FUZZ_CHECK(profile_write() == 1, "the profile could not be written");
    const std::vector<uint8_t> written = fuzz_file_bytes(PROFILE_FILE);
    profile_encode(profile, encoded);
    FUZZ_CHECK(written.size() == sizeof encoded && std::memcmp(written.data(), encoded, sizeof encoded) == 0,
               "the written profile is not the record");
    return 0;
}
