// tarnc never destroys a file, never fails without a report line, never waits
// for ever: each case runs the real tarnc process and checks the files byte
// for byte before and after, the exit code and the report line.
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <set>
#include <thread>

#include "support/test_support.h"

namespace tarn {
namespace {

using test::crlf;
using test::read_file;
using test::run_process;
using test::TempDir;
using test::write_file;

const std::string kBanner = "Tarnwell Compiler Version 3.2.2 Copyright (c) 2026 Tarnwell developers.\r\n";
const std::string kProgram = crlf("program p()\nbegin\n  writeln('hi');\nend.\n");
const std::string kOldExe = "MZ an executable from an earlier compile";

// tarnc with environment changes: "NAME=value" sets, "-NAME" removes.
test::RunResult run_with_env(const std::vector<std::string>& env, const std::vector<std::string>& args,
                             const std::string& input = {}) {
  std::vector<std::string> argv{"env"};
  for (const std::string& e : env) {
    if (e[0] == '-') {
      argv.push_back("-u");
      argv.push_back(e.substr(1));
    } else {
      argv.push_back(e);
    }
  }
  argv.push_back(test::native_tarnc());
  argv.insert(argv.end(), args.begin(), args.end());
  return run_process(argv, input, 60);
}

// Every file of a folder (not below it) with its bytes.
std::map<std::string, std::string> snapshot(const std::string& folder) {
  std::map<std::string, std::string> files;
  for (const auto& e : std::filesystem::directory_iterator(folder))
    if (e.is_regular_file()) files[e.path().filename().string()] = read_file(e.path().string());
  return files;
}

// A name with its parts checked: the report is the one line after the banner.
void expect_report(const std::string& out, const std::string& source, const std::string& line) {
  EXPECT_EQ(out, kBanner + source + line + "\r\n");
}

TEST(TarncFiles, RefusesWhenTwoOfItsFilesAreOneAndChangesNothing) {
  TempDir dir;
  auto f = [&](const std::string& name) { return dir.file(name); };
  write_file(f("p.pas"), kProgram);
  write_file(f("p.exe"), kOldExe);
  write_file(f("p.rs"), "Company=Old\r\n");
  write_file(f("prog.exe"), kProgram);
  std::filesystem::create_directory(f("sub"));
  std::filesystem::create_symlink(f("p.pas"), f("link.pas"));
  const auto before = snapshot(dir.path());

  struct Case {
    std::vector<std::string> args;
    std::string report;  // after the source path
    bool on_stdout;      // the output file is one of the two: nothing goes there
  };
  const std::string source_exe = "(1): Error 0: The source file and the executable file are one file (";
  const Case cases[] = {
      {{f("p.pas"), "/O:" + f("p.pas")},
       "(1): Error 0: The output file and the source file are one file (" + f("p.pas") + "); nothing was changed.",
       true},
      // Another spelling of the same file, and a link to it.
      {{f("p.pas"), "/O:" + f("sub/../p.pas")},
       "(1): Error 0: The output file and the source file are one file (" + f("sub/../p.pas") +
           "); nothing was changed.",
       true},
      {{f("p.pas"), "/O:" + f("link.pas")},
       "(1): Error 0: The output file and the source file are one file (" + f("link.pas") + "); nothing was changed.",
       true},
      // The still-open output file would be written over the executable.
      {{f("p.pas"), "/O:" + f("p.exe")},
       "(1): Error 0: The output file and the executable file are one file (" + f("p.exe") + "); nothing was changed.",
       true},
      {{f("p.pas"), "/O:" + f("x.txt"), "/E:" + f("link.pas")}, source_exe + f("p.pas") + "); nothing was changed.",
       false},
      // A source named *.exe is its own default executable.
      {{f("prog.exe"), "/O:" + f("x.txt")}, source_exe + f("prog.exe") + "); nothing was changed.", false},
      {{f("p.pas"), "/O:" + f("x.txt"), "/R:" + f("p.pas")},
       "(1): Error 0: The source file and the version file are one file (" + f("p.pas") + "); nothing was changed.",
       false},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.args[1]);
    auto r = test::run_tarnc(k.args);
    EXPECT_EQ(r.exit_code, 1);
    std::string out = k.on_stdout ? r.out : read_file(f("x.txt"));
    expect_report(out, k.args[0], k.report);
    auto after = snapshot(dir.path());
    after.erase("x.txt");
    EXPECT_EQ(after, before);
    std::filesystem::remove(f("x.txt"));
  }
  // In Russian too.
  auto r = test::run_tarnc({f("p.pas"), "/O:" + f("p.pas"), "/L:RU"});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_NE(r.out.find("(1): Error 0: \xD4\xE0\xE9\xEB \xE2\xFB\xE2\xEE\xE4\xE0 \xE8 "), std::string::npos) << r.out;
  EXPECT_EQ(snapshot(dir.path()), before);
}

TEST(TarncFiles, VersionResourceBeyondTheImageLimitIsError202) {
  TempDir dir;
  write_file(dir.file("p.pas"), kProgram);
  write_file(dir.file("p.exe"), kOldExe);
  // The code fits easily; the version record with a 40,000-character company does not.
  write_file(dir.file("p.rs"), "Company=" + std::string(40000, 'x') + "\r\n");
  auto r = test::run_tarnc({dir.file("p.pas"), "/O:" + dir.file("out.txt")});
  EXPECT_EQ(r.exit_code, 1);
  expect_report(read_file(dir.file("out.txt")), dir.file("p.pas"),
                "(4): Error 202: The sum of the data size and the program code size is above 64K.");
  EXPECT_EQ(read_file(dir.file("p.exe")), kOldExe);
}

// Failures of the compiler's own files: one report line with the reason, exit
// code 1, and the executable of the last good compile left alone.
TEST(TarncFiles, EveryFailureOfItsOwnFilesGetsAReportLine) {
  TempDir dir;
  const std::string src = dir.file("p.pas"), out = dir.file("out.txt"), exe = dir.file("p.exe");
  write_file(src, kProgram);
  write_file(exe, kOldExe);
  std::filesystem::create_directory(dir.file("folder"));
  write_file(dir.file("plain"), "a file, not a folder");

  // Work folders prepared to fail in one way each.
  const std::string no_lock = dir.file("no_lock"), no_postfix = dir.file("no_postfix");
  std::filesystem::create_directories(no_lock + "/tarnc/tarnc.lock");
  std::filesystem::create_directories(no_postfix + "/tarnc/postfix.tmp");

  struct Case {
    std::vector<std::string> env;
    std::vector<std::string> options;
    std::string report;
  };
  const Case cases[] = {
      {{}, {"/R:" + dir.file("folder")}, "(4): Error 0: Cannot create the version file " + dir.file("folder") +
                                             ": Is a directory."},
      {{}, {"/R:" + dir.file("none/p.rs")},
       "(4): Error 0: Cannot create the version file " + dir.file("none/p.rs") + ": No such file or directory."},
      {{}, {"/R:/dev/zero"}, "(4): Error 0: Bad version file /dev/zero: it is larger than 64 KiB."},
      {{"LOCALAPPDATA=" + dir.file("none")}, {},
       "(1): Error 0: Cannot create the work folder " + dir.file("none/tarnc") + ": No such file or directory."},
      {{"LOCALAPPDATA=" + dir.file("plain")}, {},
       "(1): Error 0: Cannot create the work folder " + dir.file("plain/tarnc") + ": Not a directory."},
      {{"LOCALAPPDATA=" + no_lock}, {},
       "(1): Error 0: Cannot create the work folder " + no_lock + "/tarnc/tarnc.lock: Is a directory."},
      {{"LOCALAPPDATA=" + no_postfix}, {},
       "(1): Error 0: Cannot write the work file " + no_postfix + "/tarnc/postfix.tmp: Is a directory."},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.report);
    std::vector<std::string> args{src, "/O:" + out};
    args.insert(args.end(), k.options.begin(), k.options.end());
    auto r = run_with_env(k.env, args);
    EXPECT_EQ(r.exit_code, 1);
    expect_report(read_file(out), src, k.report);
    EXPECT_EQ(read_file(exe), kOldExe);
    EXPECT_FALSE(test::exists(dir.file("p.rs")));
  }
  // The message language holds for these reports too.
  auto r = test::run_tarnc({src, "/O:" + out, "/R:/dev/zero", "/L:RU"});
  expect_report(read_file(out), src,
                "(4): Error 0: \xCD\xE5\xE2\xE5\xF0\xED\xFB\xE9 \xF4\xE0\xE9\xEB \xE2\xE5\xF0\xF1\xE8\xE8 /dev/zero: "
                "\xEE\xED \xE1\xEE\xEB\xFC\xF8\xE5 64 \xCA\xC1.");

  // A source that is a pipe with no writer, or an endless device: a report, no wait.
  ASSERT_EQ(mkfifo(dir.file("pipe.pas").c_str(), 0600), 0);
  r = test::run_tarnc({dir.file("pipe.pas"), "/O:" + out, "/E:" + exe, "/R:" + dir.file("p.rs")});
  EXPECT_FALSE(r.timed_out);
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_NE(read_file(out).find("Error 108: "), std::string::npos);
  r = test::run_tarnc({"/dev/zero", "/O:" + out, "/E:" + exe, "/R:" + dir.file("p.rs")});
  EXPECT_EQ(r.exit_code, 1);
  expect_report(read_file(out), "/dev/zero", "(1): Error 0: The source file /dev/zero is too large.");
  EXPECT_EQ(read_file(exe), kOldExe);
}

// A disk that fills up while the executable is written: the executable of the
// last good compile stays, no partial file is left, and 201 is reported. A
// small tmpfs in a private mount namespace plays the full disk.
TEST(TarncFiles, FullDiskKeepsThePreviousExecutable) {
  if (run_process({"unshare", "-rm", "true"}).exit_code != 0) GTEST_SKIP() << "no private mount namespace here";
  TempDir dir;
  const std::string disk = dir.file("disk"), src = dir.file("p.pas"), out = dir.file("out.txt");
  std::filesystem::create_directory(disk);
  write_file(src, kProgram);
  write_file(dir.file("p.rs"), "Company=ACME\r\n");
  const std::string script =
      "set -e; mount -t tmpfs -o size=32k tmpfs \"$1\"; printf '%s' \"$2\" > \"$1/p.exe\"; "
      "head -c 24000 /dev/zero > \"$1/filler\"; set +e; \"$3\" \"$4\" \"/O:$5\" \"/E:$1/p.exe\" \"/R:$6\"; "
      "echo \"rc=$?\"; cat \"$1/p.exe\"; echo; ls \"$1\"; "
      // The disk quite full: the missing version file cannot be created either.
      "head -c 8192 /dev/zero > \"$1/more\"; \"$3\" \"$4\" \"/O:$5.rs\" \"/E:$1/p.exe\" \"/R:$1/new.rs\"; "
      "echo \"rc=$?\"; ls \"$1\"";
  auto r = run_process({"unshare", "-rm", "sh", "-c", script, "sh", disk, kOldExe, test::native_tarnc(), src, out,
                        dir.file("p.rs")});
  EXPECT_EQ(r.out, "rc=1\n" + kOldExe + "\nfiller\np.exe\nrc=1\nfiller\nmore\np.exe\n") << r.err;
  expect_report(read_file(out), src,
                "(4): Error 201: Can't create exe file (" + disk + "/p.exe: No space left on device).");
  expect_report(read_file(out + ".rs"), src,
                "(4): Error 0: Cannot create the version file " + disk + "/new.rs: No space left on device.");
}

TEST(TarncFiles, ACompileNeverWaitsForEver) {
  TempDir dir;
  const std::string app = dir.file("app");
  std::filesystem::create_directories(app + "/tarnc");
  write_file(dir.file("a.pas"), kProgram);
  write_file(dir.file("b.pas"), kProgram);

  // Another compile holds the work folder: a bounded wait, then a report.
  int fd = open((app + "/tarnc/tarnc.lock").c_str(), O_RDWR | O_CREAT, 0666);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(flock(fd, LOCK_EX), 0);
  auto r = run_with_env({"LOCALAPPDATA=" + app, "TARNC_LOCK_WAIT=1"}, {dir.file("a.pas"), "/O:" + dir.file("a.txt")});
  EXPECT_EQ(r.exit_code, 1);
  expect_report(read_file(dir.file("a.txt")), dir.file("a.pas"),
                "(1): Error 0: The work folder " + app + "/tarnc/ is busy: another compile holds it.");
  close(fd);

  // A compile in debug mode waiting at "Press <Enter>" holds no lock: another
  // compile meanwhile finishes at once.
  test::RunResult debug;
  std::thread waiting([&] {
    debug = run_process({"sh", "-c", "sleep 4 | env LOCALAPPDATA=\"$1\" \"$2\" \"$3\" \"/O:$4\" /D", "sh", app,
                         test::native_tarnc(), dir.file("a.pas"), dir.file("a.txt")});
  });
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (read_file(dir.file("a.txt")).find(" lines.") == std::string::npos &&
         std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  auto start = std::chrono::steady_clock::now();
  r = run_with_env({"LOCALAPPDATA=" + app, "TARNC_LOCK_WAIT=30"}, {dir.file("b.pas"), "/O:" + dir.file("b.txt")});
  auto took = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_LT(took, std::chrono::seconds(3));
  waiting.join();
  EXPECT_EQ(debug.exit_code, 0);
  EXPECT_NE(debug.out.find("Press <Enter>"), std::string::npos);
}

TEST(TarncFiles, CompilesCreatingTheWorkFolderTogetherAllUseIt) {
  TempDir dir;
  const std::string app = dir.file("app");
  std::filesystem::create_directory(app);
  std::vector<std::string> names;
  for (int i = 0; i < 6; ++i) {
    names.push_back(dir.file("p" + std::to_string(i) + ".pas"));
    write_file(names.back(), kProgram);
  }
  std::vector<test::RunResult> results(names.size());
  std::vector<std::thread> threads;
  for (size_t i = 0; i < names.size(); ++i)
    threads.emplace_back([&, i] { results[i] = run_with_env({"LOCALAPPDATA=" + app}, {names[i]}); });
  for (auto& t : threads) t.join();
  for (const auto& r : results) EXPECT_EQ(r.exit_code, 0) << r.out;
  // Nothing fell back to the parent folder.
  std::vector<std::string> entries;
  for (const auto& e : std::filesystem::directory_iterator(app)) entries.push_back(e.path().filename().string());
  EXPECT_EQ(entries, std::vector<std::string>{"tarnc"});
}

TEST(TarncFiles, WithoutAnyHomeTheWorkFolderIsInTheTemporaryFolder) {
  TempDir dir;
  write_file(dir.file("p.pas"), kProgram);
  auto r = run_with_env({"-LOCALAPPDATA", "-XDG_DATA_HOME", "-HOME", "TMPDIR=" + dir.file("")},
                        {dir.file("p.pas"), "/O:" + dir.file("out.txt")});
  EXPECT_EQ(r.exit_code, 0) << read_file(dir.file("out.txt"));
  EXPECT_TRUE(test::exists(dir.file("tarnc/postfix.tmp")));
}

// The line count names the line of "end." whatever the line ends, and an error
// noticed at a line end names the same line either way.
TEST(TarncFiles, LineFeedOnlySourcesCountLinesAsCrLfOnes) {
  TempDir dir;
  const std::string lf = "program p()\nbegin\n  writeln('hi');\nend.\n";
  const std::string bad = "program p()\nbegin\n  x := 1\nend.\n";
  for (const std::string& text : {lf, crlf(lf), lf.substr(0, lf.size() - 1)}) {
    write_file(dir.file("p.pas"), text);
    EXPECT_EQ(test::run_tarnc({dir.file("p.pas"), "/O:" + dir.file("out.txt")}).exit_code, 0);
    EXPECT_EQ(read_file(dir.file("out.txt")), kBanner + dir.file("p.pas") + "\r\n4 lines.\r\n");
  }
  std::string first;
  for (const std::string& text : {bad, crlf(bad)}) {
    write_file(dir.file("p.pas"), text);
    EXPECT_EQ(test::run_tarnc({dir.file("p.pas"), "/O:" + dir.file("out.txt")}).exit_code, 1);
    std::string out = read_file(dir.file("out.txt"));
    if (first.empty()) first = out;
    EXPECT_EQ(out, first);
  }
}

}  // namespace
// Work files and the report are written over the previous compile's: a short
// program after a long one (and after a failed one with a long report) leaves
// no trace of them in any work file or the report, and gives the same
// executable as in a fresh work folder.
TEST(TarncFiles, AShortProgramAfterALongOneLeavesNoOldBytesInTheWorkFiles) {
  TempDir dir;
  std::string long_body;
  for (int i = 0; i < 200; ++i) long_body += "  writeln('line " + std::to_string(i) + "');\n";
  write_file(dir.file("long.pas"), crlf("program p()\nbegin\n" + long_body + "end.\n"));
  write_file(dir.file("bad.pas"), crlf("program p()\nbegin\n" + long_body + "  undeclared_name := 1;\nend.\n"));
  write_file(dir.file("p.pas"), kProgram);
  const std::string shared = dir.file("shared"), fresh = dir.file("fresh");
  std::filesystem::create_directories(shared);
  std::filesystem::create_directories(fresh);
  auto compile = [&](const std::string& app, const std::string& name, int exit_code) {
    auto r = run_with_env({"LOCALAPPDATA=" + app},
                          {dir.file(name + ".pas"), "/O:" + app + "/report.txt", "/E:" + app + "/" + name + ".exe"});
    EXPECT_EQ(r.exit_code, exit_code) << read_file(app + "/report.txt");
  };
  compile(shared, "long", 0);
  compile(shared, "bad", 1);
  EXPECT_NE(read_file(shared + "/report.txt").find("undeclared_name"), std::string::npos);
  compile(shared, "p", 0);
  compile(shared, "p", 0);  // over its own executable: the old one is gone, no temporary stays
  compile(fresh, "p", 0);
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(shared)) names.insert(entry.path().filename());
  EXPECT_EQ(names, (std::set<std::string>{"long.exe", "p.exe", "report.txt", "tarnc"}));
  auto after_long = snapshot(shared + "/tarnc"), alone = snapshot(fresh + "/tarnc");
  after_long.erase("tarnc.lock");
  alone.erase("tarnc.lock");
  EXPECT_EQ(after_long, alone);
  EXPECT_EQ(read_file(shared + "/p.exe"), read_file(fresh + "/p.exe"));
  EXPECT_EQ(read_file(shared + "/report.txt"), read_file(fresh + "/report.txt"));
}

}  // namespace tarn
