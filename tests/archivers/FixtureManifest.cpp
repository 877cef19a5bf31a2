#include "FixtureManifest.h"

#include <QCryptographicHash>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <filesystem>
#include <set>

namespace qvr::test {

namespace fs = std::filesystem;

static std::vector<std::string> Strings(const QJsonValue& v) {
  std::vector<std::string> out;
  for (const QJsonValue& s : v.toArray()) out.push_back(s.toString().toStdString());
  return out;
}

static std::vector<ExpectedFile> Files(const QJsonValue& v) {
  std::vector<ExpectedFile> out;
  for (const QJsonValue& e : v.toArray()) {
    QJsonObject o = e.toObject();
    out.push_back({o["path"].toString().toStdString(), static_cast<long long>(o["size"].toDouble()),
                   o["sha256"].toString().toStdString()});
  }
  return out;
}

// The shared fixtures first, then the project's own test archives (tests/archivers/data).
static const char* const kFixtureDirs[] = {QVR_FIXTURES_DIR, QVR_TEST_DATA_DIR};

std::string FixturePath(const std::string& file) {
  for (const char* dir : kFixtureDirs) {
    std::string path = std::string(dir) + "/" + file;
    if (fs::exists(path)) return path;
  }
  return std::string(QVR_FIXTURES_DIR) + "/" + file;
}

static void LoadManifestOf(const std::string& dir, std::vector<Fixture>& out) {
  QFile in(QString::fromStdString(dir + "/manifest.json"));
  if (!in.open(QIODevice::ReadOnly)) return;
  for (const QJsonValue& v : QJsonDocument::fromJson(in.readAll()).array()) {
    QJsonObject o = v.toObject();
    Fixture f;
    f.file = o["file"].toString().toStdString();
    f.format = o["format"].toString().toStdString();
    f.exe = o["container"].toString() == "exe";
    f.password = o["password"].toString().toStdString();
    f.headerEncrypted = o["header_encrypted"].toBool();
    f.hostile = o["hostile"].toBool();
    f.expectError = o["expect_error"].toBool();
    f.expected = Files(o["expected"]);
    f.expectedDirs = Strings(o["expected_dirs"]);
    for (const QJsonValue& s : o["expected_symlinks"].toArray())
      f.symlinks.push_back(s.toObject()["path"].toString().toStdString());
    f.mustNotExist = Strings(o["must_not_exist"]);
    f.allowedExtra = Strings(o["allowed_extra"]);
    f.partial = Files(o["partial_from_peers"]);
    f.entryCount = o["entry_count"].isDouble() ? o["entry_count"].toInt() : -1;
    f.topFolderShared = o["top_folder_shared"].toBool();
    f.volumes = Strings(o["volumes"]);
    out.push_back(f);
  }
}

std::vector<Fixture> LoadManifest() {
  std::vector<Fixture> out;
  for (const char* dir : kFixtureDirs) LoadManifestOf(dir, out);
  return out;
}

Route RouteFor(const Fixture& f, bool use7Zip) {
  const std::string& t = f.format;
  if (t == "zip")
    return use7Zip && !f.exe ? Route{"7-zip32.so", "SevenZip"} : Route{"unzip32.so", "UnZip"};
  if (t == "7z") return {"7-zip32.so", "SevenZip"};
  if (t == "lzh") return {"unlha32.so", "Unlha"};
  if (t == "cab") return {"cab32.so", "Cab"};
  if (t == "rar") return {"unrar32.so", "Unrar"};
  if (t == "arj") return {"unarj32j.so", "Unarj"};
  static const std::set<std::string> kTarFamily = {
      "tar", "tar.gz", "tar.bz2", "tar.xz", "tar.zst", "tar.lz4", "tar.lzma",
      "gz",  "bz2",    "Z",       "xz",     "zst",     "lz4",     "lzma"};
  if (kTarFamily.count(t)) return {"tar32.so", "Tar"};
  if (t == "none") return {"unzip32.so", "UnZip"};  // a broken file named .zip
  return {};
}

bool SizeUnrecorded(const Fixture& f) {
  static const std::set<std::string> kUnrecorded = {"bz2", "Z", "xz", "zst", "lz4", "lzma"};
  return kUnrecorded.count(f.format) > 0;
}

std::string ExtractLine(const Fixture& f, const std::string& archive, const std::string& dest,
                        bool use7Zip) {
  std::string tail = "\"" + archive + "\" \"" + dest + "/\"";
  Route r = RouteFor(f, use7Zip);
  if (r.prefix == "Unlha")
    return (f.exe ? "x -y " : "x -c1 -m1 -y1 ") + std::string("-jf0 ") + tail;
  if (r.prefix == "UnZip") return "-x -o -s -V -i -C -qq " + tail;
  if (r.prefix == "SevenZip") return "x -y " + tail;
  if (r.prefix == "Cab") return "-x -o " + tail;
  if (r.prefix == "Unrar") return "-x -y -o " + tail;
  if (r.prefix == "Unarj") return "x -y- " + tail;
  return "-x --use-directory=1 " + tail;
}

std::string Sha256OfFile(const std::string& path) {
  QFile in(QString::fromStdString(path));
  if (!in.open(QIODevice::ReadOnly)) return "";
  QCryptographicHash hash(QCryptographicHash::Sha256);
  hash.addData(&in);
  return hash.result().toHex().toStdString();
}

Tree ReadTree(const std::string& root) {
  Tree t;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(root, ec);
       !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
    std::string rel = it->path().lexically_relative(root).generic_string();
    if (it->is_symlink()) {
      t.links.push_back(rel);
    } else if (it->is_directory()) {
      t.dirs.push_back(rel);
    } else if (it->is_regular_file()) {
      t.files[rel] = {rel, static_cast<long long>(it->file_size()),
                      Sha256OfFile(it->path().string())};
    }
  }
  std::sort(t.dirs.begin(), t.dirs.end());
  std::sort(t.links.begin(), t.links.end());
  return t;
}

}  // namespace qvr::test
