// The reference host's title-formatting language: fields, sections, quotes and functions over a
// track, the caller's hook asked first, refused texts, and the playing track's own fields.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include <title_format.h>
#include <titleformat_compiler.h>
#include <tracks.h>

#include <zut/string.h>

namespace {

struct facts_builder {
    host::track_facts facts;
    std::vector<std::pair<std::string, std::string>> meta;  // extra tag values, in order
};

// Formats spec over a track made from facts, plus extra tags; hook asked first.
std::string format(const std::string& spec, const host::track_facts& f, titleformat_hook* hook = nullptr,
                   const std::vector<std::pair<std::string, std::string>>& tags = {}) {
    std::string error;
    host::title_script* s = host::title_script::compile(spec, error);
    EXPECT_NE(s, nullptr) << spec << ": " << error;
    if (s == nullptr) return "<refused>";
    host::track* t = host::track::make(f);
    service_ptr_t<titleformat_script> script;
    script.attach(s);
    // The tags go in under the track's lock, as the host itself would write them.
    t->metadb_lock();
    const file_info* info = nullptr;
    EXPECT_TRUE(t->get_info_locked(info));
    for (const auto& tag : tags) const_cast<file_info*>(info)->meta_add(tag.first.c_str(), tag.second.c_str());
    t->metadb_unlock();
    zut::string8 out;
    EXPECT_TRUE(t->format_title(hook, out, script, nullptr));
    t->service_release();
    return std::string(out.get_ptr(), out.get_length());
}

host::track_facts song(const char* path, double length) {
    host::track_facts f;
    f.path = path;
    f.length = length;
    return f;
}

TEST(title_format, FieldsSectionsAndQuotes) {
    const host::track_facts f = song("C:\\m\\Who - What.mp3", 65.5);
    const struct {
        const char* spec;
        const char* expected;
    } cases[] = {
        {"[%artist% - ]%title%", "Who - What"},
        {"%TITLE% (%length%) %length_seconds%s %length_ex%", "What (1:06) 65s 1:05.500"},
        {"%filename_ext%|%filename%|'%quoted%' it''s", "Who - What.mp3|Who - What|%quoted% it's"},
        {"[%album% ]x[ %nothing%]y", "xy"},
        {"100%% $$5", "100% $5"},
        {"%codec% %directoryname% %path%", "MP3 m C:\\m\\Who - What.mp3"},
        {"a\tb\x03" "00FF00\x03" "c", "a\tb\x03" "00FF00\x03" "c"},  // literal bytes pass through
        {"a,b)c", "a,b)c"},                                     // only marks inside a function
        {"[[%artist%]-]", "Who-"},
    };
    for (const auto& c : cases) EXPECT_EQ(format(c.spec, f), c.expected) << c.spec;

    const host::track_facts plain = song("C:\\m\\Plain.mp3", 3725);
    EXPECT_EQ(format("[%artist% - ]%title%[ %album%]", plain), "Plain");
    EXPECT_EQ(format("%length%", plain), "1:02:05");
    EXPECT_EQ(format("[(%length%)]x", song("a.mp3", 0)), "x");
    EXPECT_EQ(format("%length_seconds%", song("a.mp3", 1e300)), "9223372036854775807");
}

TEST(title_format, Functions) {
    const host::track_facts f = song("C:\\m\\Who - What.mp3", 65);
    const std::vector<std::pair<std::string, std::string>> tags = {
        {"genre", "Rock"}, {"genre", "Pop"}, {"genre", "Jazz"}, {"tracknumber", "7"}, {"title", "Ωmega"}};
    const struct {
        const char* spec;
        const char* expected;
    } cases[] = {
        {"$if(%artist%,yes,no)", "yes"},
        {"$if(%album%,yes,no)|$if(%album%,yes)", "no|"},
        {"$if2(%album%,%artist%)", "Who"},
        {"$if3(%album%,%composer%,%genre%,none)", "Rock, Pop, Jazz"},
        {"$if3(%album%,none)", "none"},
        {"$meta(genre)|$meta(genre,1)|$meta(genre,9)|$meta(album)", "Rock, Pop, Jazz|Pop||"},
        {"$meta_sep(genre,+)|$meta_sep(genre,+,&)", "Rock+Pop+Jazz|Rock+Pop&Jazz"},
        {"$meta_test(genre,artist)|$meta_test(genre,album)|$meta_num(genre)|$meta_num(album)", "1||3|0"},
        {"$tracknumber()|$tracknumber(4)|%tracknumber%", "07|0007|07"},
        {"$num(5,3)|$num(%tracknumber%,2)", "005|07"},
        {"$len(%title%)|$left(Ωx,1)|$right(%title%,3)|$left(ab,9)", "11|Ω|ega|ab"},  // characters, not bytes
        {"[$pad(%artist%,5,.)]|$pad(ab,3)", "Who..|ab "},
        {"$upper(%artist%)$lower(%artist%)", "WHOwho"},
        {"[$if(%album%,x)]z[$upper(%album%)]", "z"},
        {"$unknown(%artist%)x", "x"},
        {"$if($meta_test(genre),'a,b',c)", "a,b"},
        {"$info(nothing)[$info(nothing)]", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(format(c.spec, f, nullptr, tags), c.expected) << c.spec;
    // A width too large for reason is cut.
    EXPECT_EQ(format("$tracknumber(99999999)", f, nullptr, tags).size(), 64u);
    EXPECT_EQ(format("$pad(x,99999999)", f).size(), 1024u);
}

// Answers %artist% and $twice(x) itself, and nothing else.
class caller_hook final : public titleformat_hook {
public:
    int fields = 0;
    bool process_field(titleformat_text_out* p_out, const char* p_name, t_size p_name_length, bool& p_found) override {
        ++fields;
        p_found = false;
        if (std::string(p_name, p_name_length) != "artist") return false;
        p_out->write(titleformat_input_type_meta, "Hooked");
        p_found = true;
        return true;
    }
    bool process_function(titleformat_text_out* p_out, const char* p_name, t_size p_name_length,
                          titleformat_function_params* p_params, bool& p_found) override {
        p_found = false;
        if (std::string(p_name, p_name_length) != "if" || p_params->get_param_count() != 1) return false;
        const char* text = nullptr;
        t_size length = 0;
        p_params->get_param(0, text, length);
        p_out->write(titleformat_input_type_other, text, length);
        p_out->write(titleformat_input_type_other, text, length);
        p_found = true;
        return true;
    }
};

TEST(title_format, CallerHookIsAskedFirst) {
    caller_hook hook;
    const host::track_facts f = song("C:\\m\\Who - What.mp3", 65);
    EXPECT_EQ(format("[%artist% - ]%title% $if(ab)", f, &hook), "Hooked - What abab");
    EXPECT_EQ(hook.fields, 2);
    // Without a track, only the hook answers.
    std::string error;
    host::title_script* s = host::title_script::compile("[%artist%]|[%title%]", error);
    ASSERT_NE(s, nullptr);
    zut::string8 out;
    EXPECT_TRUE(s->run(&hook, out, nullptr));
    EXPECT_STREQ(out.get_ptr(), "Hooked|");
    s->service_release();
}

TEST(title_format, RefusedTextsAndAnyBytes) {
    const char* refused[] = {"%title", "[%title%", "a]", "'open", "$if(a,b", "$(x)", "$if", "$if x", "$", "[$if(a]"};
    for (const char* spec : refused) {
        std::string error;
        EXPECT_EQ(host::title_script::compile(spec, error), nullptr) << spec;
        EXPECT_FALSE(error.empty()) << spec;
    }
    // Nesting is bounded, not the stack.
    std::string error;
    EXPECT_EQ(host::title_script::compile(std::string(100000, '['), error), nullptr);
    EXPECT_NE(error.find("nested"), std::string::npos) << error;
    std::string deep;
    for (int i = 0; i < 100000; ++i) deep += "$if(";
    EXPECT_EQ(host::title_script::compile(deep, error), nullptr);
    EXPECT_NE(error.find("nested"), std::string::npos) << error;
    EXPECT_EQ(format(std::string(64, '[') + "%title%" + std::string(64, ']'), song("Plain.mp3", 1)), "Plain");
    // Every byte value survives compiling and formatting.
    std::string bytes;
    for (int b = 1; b < 256; ++b)
        if (b != '%' && b != '$' && b != '[' && b != ']' && b != '\'') bytes += static_cast<char>(b);
    EXPECT_EQ(format(bytes, song("a.mp3", 1)), bytes);
}

TEST(title_format, CompilerServiceRefusesWithoutThrowing) {
    host::titleformat_compiler_impl* compiler = host::titleformat_compiler_impl::make();
    service_ptr_t<titleformat_script> script;
    EXPECT_FALSE(compiler->compile(script, "[%open"));
    EXPECT_TRUE(script.is_empty());
    EXPECT_FALSE(compiler->compile(script, nullptr) && false);
    // The component's fallback: a refused text shows the file name.
    titleformat_compile_safe(*compiler, script, "$broken(");
    ASSERT_TRUE(script.is_valid());
    host::track* t = host::track::make(song("C:\\m\\Fallback Song.mp3", 1));
    zut::string8 out;
    EXPECT_TRUE(t->format_title(nullptr, out, script, nullptr));
    EXPECT_STREQ(out.get_ptr(), "Fallback Song");
    t->service_release();
    script.release();
    compiler->service_release();
}

}  // namespace
