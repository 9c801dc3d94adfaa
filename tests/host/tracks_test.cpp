// Track handles of the reference host: their information, its lock, and the playlist-row format.
#include <gtest/gtest.h>

#include <string>

#include <titleformat_config.h>
#include <tracks.h>

#include <support/files.h>
#include <trovaplay/sdk/titleformat.h>
#include <zut/bit_array.h>
#include <zut/string.h>

namespace {

std::string artist_of(const std::string& path) {
    std::string a, t;
    host::facts_from_file_name(path, a, t);
    return a;
}
std::string title_of(const std::string& path) {
    std::string a, t;
    host::facts_from_file_name(path, a, t);
    return t;
}

TEST(tracks, InformationFromFileNames) {
    EXPECT_EQ(title_of("C:\\music\\Some Artist - Some Title.mp3"), "Some Title");
    EXPECT_EQ(artist_of("C:\\music\\Some Artist - Some Title.mp3"), "Some Artist");
    EXPECT_EQ(title_of("song.ogg"), "song");
    EXPECT_EQ(artist_of("song.ogg"), "");
    EXPECT_EQ(title_of("C:\\dir.x\\noext"), "noext");
    EXPECT_EQ(title_of("/unix/path/a.b.flac"), "a.b");
    EXPECT_EQ(title_of("http://example.invalid/live/stream.mp3?x=1.2"), "stream");
    EXPECT_EQ(title_of(".hidden"), ".hidden");
    EXPECT_EQ(title_of(" - Leading.mp3"), " - Leading");  // no artist before the dash: whole name
    EXPECT_EQ(title_of("C:\\"), "C:");
    EXPECT_EQ(title_of("\\"), "\\");  // nothing of a name: what was given
    EXPECT_EQ(title_of("\xC3\x9C" "ber - \xC5\x9C" "ong.flac"), "\xC5\x9C" "ong");
}

TEST(tracks, FactsFillTheRecordAndTheFileNameStandsIn) {
    host::track_facts f;
    f.path = "C:\\m\\Who - What.mp3";
    f.length = 61.5;
    host::track* a = host::track::make(f);
    EXPECT_EQ(a->title(), "What");
    EXPECT_EQ(a->artist(), "Who");
    EXPECT_EQ(a->length(), 61.5);
    EXPECT_STREQ(a->get_location().get_path(), "C:\\m\\Who - What.mp3");
    EXPECT_EQ(a->get_location().get_subsong(), 0u);

    f.title = "Given";
    f.artist = "";
    f.length = -3;  // nonsense lengths are unknown
    host::track* b = host::track::make(f);
    EXPECT_EQ(b->title(), "Given");
    EXPECT_EQ(b->artist(), "");
    EXPECT_EQ(b->length(), 0.0);
    a->service_release();
    b->service_release();
}

// A WAV header: RIFF, a "fmt " chunk and a "data" chunk of data_size bytes (not written).
std::string wav_header(std::uint32_t rate, std::uint16_t channels, std::uint16_t bits, std::uint32_t data_size) {
    std::string h;
    auto u32 = [&](std::uint32_t v) { for (int i = 0; i < 4; ++i) h += static_cast<char>(v >> (8 * i)); };
    auto u16 = [&](std::uint16_t v) { for (int i = 0; i < 2; ++i) h += static_cast<char>(v >> (8 * i)); };
    const std::uint16_t align = static_cast<std::uint16_t>(channels * bits / 8);
    h += "RIFF";
    u32(36 + data_size);
    h += "WAVE";
    h += "LIST";  // a chunk the reader steps over
    u32(3);
    h += std::string(4, 'x');  // 3 bytes and the pad byte
    h += "fmt ";
    u32(16);
    u16(1);
    u16(channels);
    u32(rate);
    u32(rate * align);
    u16(align);
    u16(bits);
    h += "data";
    u32(data_size);
    return h;
}

TEST(tracks, WavHeaderGivesLengthAndFormat) {
    const std::wstring folder = test_support::temp_folder(L"tracks_wav");
    const std::wstring file = folder + L"\\Band - Tone.wav";
    ASSERT_TRUE(test_support::write_file(file, wav_header(8000, 2, 16, 8000 * 4 * 3)));
    host::track_facts f;
    f.path = test_support::narrow(file);
    host::track* t = host::track::make(f);
    EXPECT_EQ(t->length(), 3.0);
    EXPECT_EQ(t->title(), "Tone");
    t->metadb_lock();
    const file_info* info = nullptr;
    ASSERT_TRUE(t->get_info_locked(info));
    EXPECT_EQ(info->info_get_int("samplerate"), 8000);
    EXPECT_EQ(info->info_get_int("channels"), 2);
    EXPECT_EQ(info->info_get_bits_per_sample(), 16u);
    EXPECT_FALSE(info->info_is_lossy());
    t->metadb_unlock();
    t->service_release();

    // A playlist's length wins; a file that is no WAV file (or none at all) tells nothing.
    f.length = 7;
    t = host::track::make(f);
    EXPECT_EQ(t->length(), 7.0);
    t->service_release();
    ASSERT_TRUE(test_support::write_file(folder + L"\\bad.wav", "RIFF\x04\x00\x00\x00WAVEdata"));
    double length = 0;
    unsigned rate = 0, channels = 0, bits = 0;
    EXPECT_FALSE(host::read_wav_header(test_support::narrow(folder + L"\\bad.wav"), length, rate, channels, bits));
    EXPECT_FALSE(host::read_wav_header(test_support::narrow(folder + L"\\none.wav"), length, rate, channels, bits));
    EXPECT_FALSE(host::read_wav_header("http://x/y.wav", length, rate, channels, bits));
}

TEST(tracks, InformationIsReadUnderTheLock) {
    host::track_facts f;
    f.path = "x.mp3";
    f.length = 10;
    host::track* t = host::track::make(f);
    const file_info* info = nullptr;
    EXPECT_FALSE(t->get_info_locked(info));  // not locked: no record
    EXPECT_EQ(info, nullptr);
    t->metadb_lock();
    t->metadb_lock();  // the lock is recursive
    ASSERT_TRUE(t->get_info_locked(info));
    EXPECT_EQ(info->get_length(), 10.0);
    t->metadb_unlock();
    EXPECT_TRUE(t->get_info_locked(info));
    t->metadb_unlock();
    EXPECT_FALSE(t->get_info_locked(info));
    t->metadb_unlock();  // one unlock too many does no harm
    t->metadb_lock();
    EXPECT_TRUE(t->get_info_locked(info));
    t->metadb_unlock();
    EXPECT_TRUE(t->has_info());
    EXPECT_EQ(t->get_filestats().m_size, ~std::uint64_t(0));
    t->service_release();
}

TEST(tracks, RecordFields) {
    host::track_info i;
    EXPECT_EQ(i.meta_set_ex("Artist", ~0u, "X", ~0u), 0u);
    i.meta_insert_value_ex(0, ~0u, "Z", ~0u);
    i.meta_insert_value_ex(0, 1, "Y", ~0u);
    EXPECT_EQ(i.meta_find_ex("ARTIST", ~0u), 0u);
    EXPECT_EQ(i.meta_find_ex("artistic", 6), 0u);  // the name's length counts
    EXPECT_EQ(i.meta_find_ex("album", ~0u), ~0u);
    ASSERT_EQ(i.meta_value_count(0), 3u);
    EXPECT_STREQ(i.meta_value(0, 1), "Y");
    EXPECT_EQ(i.meta_value(0, 3), nullptr);
    EXPECT_EQ(i.meta_name(5), nullptr);
    i.meta_remove_values(0, bit_array_one(0));
    EXPECT_STREQ(i.meta_value(0, 0), "Y");
    i.meta_remove_values(0, bit_array_true());  // a field without values goes
    EXPECT_EQ(i.meta_count(), 0u);

    EXPECT_EQ(i.info_set_ex("samplerate", ~0u, "44100xx", 5), 0u);
    EXPECT_STREQ(i.info_value(i.info_find_ex("SampleRate", ~0u)), "44100");
    host::track_info copy;
    copy.meta_set_ex("title", ~0u, "T", ~0u);
    copy.copy_info(i);
    copy.copy_meta(i);
    EXPECT_EQ(copy.meta_count(), 0u);
    EXPECT_EQ(copy.info_count(), 1u);
    i.info_remove_mask(bit_array_true());
    EXPECT_EQ(i.info_count(), 0u);
    i.set_length(std::numeric_limits<double>::infinity());
    EXPECT_EQ(i.get_length(), 0.0);
}

TEST(tracks, PlaylistRowFormatCompilesOnceAndFailsOnce) {
    host::titleformat_config_impl* c = host::make_playlist_row_format();
    GUID g = {};
    EXPECT_EQ(c->get_guid(&g), &g);
    EXPECT_EQ(memcmp(&g, &host::playlist_row_format_guid, sizeof g), 0);
    service_ptr_t<titleformat_script> a, b;
    ASSERT_TRUE(c->compile(a));
    ASSERT_TRUE(c->compile(b));
    EXPECT_EQ(a.get_ptr(), b.get_ptr());

    c->set_spec("$bad(", ~0u);
    service_ptr_t<titleformat_script> d;
    EXPECT_FALSE(c->compile(d));
    EXPECT_FALSE(c->compile(d));
    EXPECT_TRUE(d.is_empty());
    c->set_spec("%title%xyz", 7);
    zut::string8_t<> text;
    c->get_spec(text);
    EXPECT_STREQ(text.get_ptr(), "%title%");
    EXPECT_TRUE(c->compile(d));
    EXPECT_NE(d.get_ptr(), a.get_ptr());
    c->reset();
    c->get_spec(text);
    EXPECT_STREQ(text.get_ptr(), "$if(%is_playing%,\xC2\xBB )[%artist% - ]%title%");

    // A script that is none of the host's formats nothing.
    host::track_facts f;
    f.path = "x.mp3";
    host::track* t = host::track::make(f);
    zut::string8_t<> out;
    out.set_string("old");
    service_ptr_t<titleformat_script> none;
    EXPECT_FALSE(t->format_title(nullptr, out, none, nullptr));
    EXPECT_STREQ(out.get_ptr(), "");
    t->service_release();
    c->service_release();
}

}  // namespace
