#pragma once

#include <string>

#include "platform/WindowSystem.h"

namespace sealwing::outlook {

// Office's custom UI (IRibbonExtensibility and the callbacks its XML names): what Office asks of an add-in that
// changes a ribbon. Office asks for each ribbon's XML once, and calls the XML's callbacks by name, as it does through
// the add-in's IDispatch. UI thread only.
class RibbonExtensibility {
public:
    // The custom-UI XML for the ribbon (for example "Microsoft.Outlook.Mail.Compose"); empty for one the add-in leaves
    // as it is.
    virtual std::wstring GetCustomUI(const std::wstring& ribbonId) = 0;
    // Runs the callback of that name (onAction, onLoad) for a control whose context is the window `controlWindow`
    // (platform::kNoWindow when Office gave no control or its context has no window). False for a name the add-in does
    // not know, as DISP_E_UNKNOWNNAME would say.
    virtual bool InvokeRibbonCallback(const std::wstring& name, platform::WindowHandle controlWindow) = 0;

protected:
    ~RibbonExtensibility() = default;
};

}  // namespace sealwing::outlook
