// Wine shows the Unix file system as drive Z:.
#pragma once

#include <string>

std::string WindowsPathFromUnix(const std::string& unixPath);
