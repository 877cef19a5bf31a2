// Writes what the installation takes from the association tables: the MIME package of
// every format the associations take, and the application launcher whose template line
// "MimeType=@QVR_MIME_TYPES@" becomes the MIME types of all of them.
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "Registry_Association.h"

int main(int argc, char* argv[]) {
  if (argc != 4) {
    std::cerr << "usage: qvr_mimepackage PACKAGE.xml LAUNCHER.desktop.in LAUNCHER.desktop\n";
    return 2;
  }
  std::vector<std::string> formats = qvr::AssociationFormats();
  formats.push_back("BH");
  std::ofstream package(argv[1], std::ios::binary);
  package << qvr::MimePackage(formats);

  std::string types;
  for (const std::string& format : formats) {
    for (const std::string& type : qvr::AssociationMimeTypes(format)) {
      if (types.find(type + ';') == std::string::npos) types += type + ';';
    }
  }
  std::ifstream in(argv[2], std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::string marker = "@QVR_MIME_TYPES@";
  size_t at = text.find(marker);
  if (!in || at == std::string::npos) {
    std::cerr << "qvr_mimepackage: no " << marker << " in " << argv[2] << '\n';
    return 1;
  }
  text.replace(at, marker.size(), types);
  std::ofstream launcher(argv[3], std::ios::binary);
  launcher << text;
  return package && launcher ? 0 : 1;
}
