#include "skin/mdlSkinSupporter.h"

namespace ocural {

std::wstring CurrentSkin;

}  // namespace ocural
