#include "outlook/win32/dispatch/ButtonPictureMaker.h"

namespace sealwing::outlook::win32 {
namespace {

ButtonPictureMaker g_maker = nullptr;

}  // namespace

void InstallButtonPictureMaker(ButtonPictureMaker maker) { g_maker = maker; }

ButtonPictureMaker InstalledButtonPictureMaker() { return g_maker; }

}  // namespace sealwing::outlook::win32
