// The help is tested like code. Every example on a help page (a
// <pre class="example"> block, with its optional "args" and "input" blocks) is
// compiled and run, and its output must be the "output" block printed on the
// page; an example that appears on both languages' pages runs once. The
// message pages must describe every entry of the compiler's own message table,
// with both texts as the compiler writes them; every built-in routine has a
// page in both languages; and both .chm files list back every page, the
// contents and the index.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <regex>
#include <set>

#include "common/codepage.h"
#include "compilation/compilation.h"
#include "base/diagnostics.h"
#include "frontend/lexer.h"
#include "parallel_runs.h"
#include "support/golden.h"
#include "support/test_support.h"
#include "support/wine.h"

namespace tarn {
namespace {

using namespace tarn::test;
namespace fs = std::filesystem;

const char* const kLanguages[] = {"en", "ru"};

std::string help_folder(const std::string& lang) { return test_data("../docs/help/" + lang); }

std::string chm_file(const std::string& lang) {
  // The native tarnc lives in <build>/compiler; the help in <build>/docs/help.
  return fs::path(native_tarnc()).parent_path().parent_path().string() + "/docs/help/tarnwell_" + lang + ".chm";
}

std::vector<std::string> pages(const std::string& lang) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(help_folder(lang)))
    if (e.path().extension() == ".html") names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::string unescape(std::string s) {
  const std::pair<const char*, const char*> entities[] = {
      {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&#x27;", "'"}, {"&#39;", "'"}, {"&amp;", "&"}};
  for (const auto& [from, to] : entities)
    for (size_t at = 0; (at = s.find(from, at)) != std::string::npos; at += std::string(to).size())
      s.replace(at, std::string(from).size(), to);
  return s;
}

std::string escape(const std::string& s) {
  std::string r;
  for (char ch : s) {
    if (ch == '<') r += "&lt;";
    else if (ch == '>') r += "&gt;";
    else if (ch == '&') r += "&amp;";
    else r += ch;
  }
  return r;
}

// The console writes Russian letters in code page 866; the pages hold 1251.
std::string cp866_to_cp1251(std::string s) {
  for (char& ch : s) {
    const auto b = static_cast<unsigned char>(ch);
    if (b >= 0x80 && b <= 0xAF) ch = static_cast<char>(b + 0x40);
    else if (b >= 0xE0 && b <= 0xEF) ch = static_cast<char>(b + 0x10);
    else if (b == 0xF0) ch = static_cast<char>(0xA8);
    else if (b == 0xF1) ch = static_cast<char>(0xB8);
  }
  return s;
}

struct HelpExample {
  std::string program, args, input;
  std::vector<std::pair<std::string, std::string>> expected;  // page, output printed there
};

// Every distinct example of both languages, in a stable order.
std::vector<HelpExample> help_examples() {
  std::map<std::string, HelpExample> found;
  std::vector<std::string> order;
  const std::regex block(R"re(<pre class="(example|args|input|output)">([\s\S]*?)</pre>)re");
  for (const char* lang : kLanguages) {
    for (const auto& page : pages(lang)) {
      const std::string text = read_file(help_folder(lang) + "/" + page);
      HelpExample current;
      bool open = false;
      for (auto it = std::sregex_iterator(text.begin(), text.end(), block); it != std::sregex_iterator(); ++it) {
        const std::string kind = (*it)[1], body = unescape((*it)[2]);
        if (kind == "example") {
          current = HelpExample{body, "", "", {}};
          open = true;
        } else if (open && kind == "args") {
          current.args = body;
        } else if (open && kind == "input") {
          current.input = body;
        } else if (open && kind == "output") {
          const std::string key = current.program + '\0' + current.args + '\0' + current.input;
          if (!found.count(key)) {
            found[key] = current;
            order.push_back(key);
          }
          found[key].expected.emplace_back(std::string(lang) + "/" + page, body);
          open = false;
        }
      }
    }
  }
  std::vector<HelpExample> all;
  for (const auto& key : order) all.push_back(found[key]);
  return all;
}

TEST(HelpPages, ExamplesPrintWhatThePagesShow) {
  const auto examples = help_examples();
  ASSERT_FALSE(examples.empty());
  std::vector<std::string> faults(examples.size());
  run_in_parallel(examples.size(), [&](std::size_t i) {
    const HelpExample& ex = examples[i];
    TempDir dir;
    write_file(dir.file("demo.pas"), ex.program + "\r\n");
    auto compile = run_tarnc({"demo.pas", "/O:out.txt"}, "", dir.path());
    if (compile.exit_code != 0) {
      faults[i] = "does not compile:\n" + read_file(dir.file("out.txt"));
      return;
    }
    auto run = run_program(dir.file("demo.exe"), words_of(ex.args), ex.input, 30, dir.path());
    const std::string out = cp866_to_cp1251(run.out);
    if (run.exit_code != 0) faults[i] += "ended with " + std::to_string(run.exit_code) + run.err + "\n";
    for (const auto& [page, expected] : ex.expected)
      if (out != expected) faults[i] += "the page " + page + " shows:\n" + expected + "the program printed:\n" + out;
  });
  for (std::size_t i = 0; i < examples.size(); ++i)
    EXPECT_EQ(faults[i], "") << "the example on " << examples[i].expected[0].first << ":\n" << examples[i].program;
}

TEST(HelpPages, ExamplesAreFoundOnEveryRoutinePage) {
  const auto examples = help_examples();
  std::set<std::string> shown;
  for (const auto& ex : examples)
    for (const auto& where : ex.expected) shown.insert(where.first);
  for (const char* lang : kLanguages)
    for (const auto& page : pages(lang))
      if (page.rfind("r_", 0) == 0) {
        EXPECT_TRUE(shown.count(std::string(lang) + "/" + page)) << lang << "/" << page;
      }
}

TEST(HelpPages, DescribeEveryMessageOfTheCompiler) {
  for (const char* lang : kLanguages) {
    const std::string page = read_file(help_folder(lang) + "/messages.html");
    const std::regex heading(R"re(<h2 id="e(\d+)">)re");
    std::set<int> described;
    for (auto it = std::sregex_iterator(page.begin(), page.end(), heading); it != std::sregex_iterator(); ++it)
      described.insert(std::stoi((*it)[1]));
    std::set<int> codes;
    for (const auto& m : message_table()) {
      if (m.code == 0 && m.tmplmsg.empty()) continue;  // the table's empty last entry
      codes.insert(m.code);
      EXPECT_NE(page.find(escape(m.tmplmsg)), std::string::npos) << lang << ": English text of " << m.code;
      EXPECT_NE(page.find(escape(utf8_to_cp1251(m.tmplmsg2))), std::string::npos) << lang << ": Russian text of " << m.code;
    }
    EXPECT_EQ(described, codes) << lang << "/messages.html";
  }
}

TEST(HelpPages, EveryBuiltInRoutineHasAPageInBothLanguages) {
  auto c = std::make_unique<Compilation>();
  build_keyword_table(c->front);
  std::vector<std::string> routines = {"readln", "write", "writeln", "new", "free"};
  for (int i = 1; i <= c->sym.count; ++i) {
    const auto& e = c->sym.entries[i];
    if (e.symbolclass == SymbolClass::kMathFunction || e.symbolclass == SymbolClass::kFunction ||
        e.symbolclass == SymbolClass::kProcedure) routines.push_back(e.name);
  }
  EXPECT_EQ(routines.size(), 42u);
  for (const char* lang : kLanguages)
    for (const auto& name : routines) {
      const std::string page = help_folder(lang) + "/r_" + name + ".html";
      EXPECT_TRUE(exists(page)) << page;
      EXPECT_NE(read_file(help_folder(lang) + "/routines.html").find("r_" + name + ".html"), std::string::npos) << name;
    }
}

TEST(HelpFiles, ListBackEveryPageTheContentsAndTheIndex) {
  for (const char* lang : kLanguages) {
    const std::string chm = chm_file(lang);
    ASSERT_TRUE(exists(chm)) << chm << " was not built";
    auto listing = run_process({"enum_chmLib", chm});
    ASSERT_EQ(listing.exit_code, 0) << "enum_chmLib (Debian libchm-bin): " << listing.err;
    auto names = words_of(listing.out);
    std::set<std::string> inside(names.begin(), names.end());
    for (const auto& page : pages(lang)) EXPECT_TRUE(inside.count("/" + page)) << chm << " lacks " << page;
    EXPECT_TRUE(inside.count("/toc.hhc")) << chm << " has no contents";
    EXPECT_TRUE(inside.count("/index.hhk")) << chm << " has no index";
    EXPECT_TRUE(inside.count("/$WWKeywordLinks/BTree")) << chm << " has no compiled index";
    // A page comes back out of the file as it went in.
    TempDir dir;
    auto extract = run_process({"extract_chmLib", chm, dir.path()});
    ASSERT_EQ(extract.exit_code, 0) << extract.err;
    EXPECT_EQ(read_file(dir.file("messages.html")), read_file(help_folder(lang) + "/messages.html"));
    EXPECT_NE(read_file(dir.file("toc.hhc")).find("routines.html"), std::string::npos);
  }
}

// A picture of each help file in a viewer (xchm under Xvfb) is kept in
// <build>/test-artifacts for people to look at; the test requires that the
// window showed up and drew more than a blank page.
TEST(HelpFiles, OpenInAViewer) {
  const std::string build = fs::path(native_tarnc()).parent_path().parent_path().string();
  const std::string out = build + "/test-artifacts";
  auto shot = run_process({test_data("wine/help_screenshot.sh"), out, chm_file("en"), chm_file("ru")}, "", 60);
  ASSERT_EQ(shot.exit_code, 0) << "xchm, Xvfb and ImageMagick are needed: " << shot.err;
  for (const char* lang : kLanguages) {
    const std::string png = out + "/tarnwell_" + std::string(lang) + ".png";
    ASSERT_TRUE(exists(png)) << png;
    auto colours = run_process({"convert", png, "-format", "%k", "info:"});
    EXPECT_GT(std::atoi(colours.out.c_str()), 200) << png << " looks blank";
  }
}

}  // namespace
}  // namespace tarn
