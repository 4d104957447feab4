// TavrinPluginAPI: "getAttr" answers from a fixed table of keys, "outdated" compares versions.
#include "plugin/product/tavrin_plugin_api.h"

#include <vector>

#include <boost/lexical_cast.hpp>
#include <boost/tokenizer.hpp>

#include "deviceid/device_ids.h"
#include "deviceid/machine_facts.h"
#include "plugin/scripting/method_binding.h"

namespace {

/// The components of a version text; "1..0.18" and ".1.0.18." both give 1, 0, 18.
std::vector<std::string> versionComponents(const std::string& text) {
    boost::char_separator<char> dot(".");
    boost::tokenizer<boost::char_separator<char>> tokens(text, dot);
    return std::vector<std::string>(tokens.begin(), tokens.end());
}

}  // namespace

TavrinPluginAPI::TavrinPluginAPI(const std::shared_ptr<TavrinPlugin>& owningPlugin,
                                 const std::shared_ptr<FB::BrowserHost>& browserHost)
    : FB::JSAPIAuto("<JSAPI-Auto Javascript Object>"),
      plugin(owningPlugin),
      host(browserHost),
      version("1.0.18"),
      locale("en_US"),
      os("Windows_NT"),
      build(1.0) {
    addMethod("getAttr", FB::bindMethod(this, &TavrinPluginAPI::getAttr));
    addMethod("outdated", FB::bindMethod(this, &TavrinPluginAPI::outdated));
    addAttribute("version", FB::variant(version), true);
    addAttribute("buildNum", FB::variant(build), true);
    addAttribute("os", FB::variant(os), true);
    addAttribute("locale", FB::variant(locale), true);
}

TavrinPluginAPI::~TavrinPluginAPI() = default;

std::string TavrinPluginAPI::buildText() const { return boost::lexical_cast<std::string>(build); }

std::string TavrinPluginAPI::getAttr(std::string name, std::optional<std::string> argument) {
    if (name == "version") {
        return version;
    }
    if (name == "build") {
        return buildText();
    }
    if (name == "os") {
        return os;
    }
    if (name == "locale") {
        return locale;
    }
    if (name == "deviceId") {
        return deviceid::getDeviceId();
    }
    if (name == "newDeviceId") {
        return deviceid::getNewDeviceId();
    }
    if (name == "license") {
        return deviceid::sha1Hex(deviceid::readDigitalProductIdHex());
    }
    if (name == "GUID") {
        return deviceid::sha1Hex(deviceid::readMachineGuid());
    }
    if (name == "SID") {
        return deviceid::sha1Hex(deviceid::getComputerAccountSid());
    }
    if (name == "macAddress") {
        return deviceid::sha1Hex(deviceid::getMacAddress());
    }
    if (name == "cookie") {
        return argument ? "1" : "0";  // the argument's own text is never handed back
    }
    if (name == "attributes") {
        return version + "^" + buildText() + "^" + os + "^" + locale;
    }
    return "";
}

int TavrinPluginAPI::outdated(std::string candidate) {
    const std::vector<std::string> theirs = versionComponents(candidate);
    const std::vector<std::string> ours = versionComponents(version);
    int result = 0;
    std::size_t position = 0;
    for (; position < ours.size(); ++position) {
        if (position >= theirs.size()) {
            return -1;
        }
        int their = 0;
        int our = 0;
        try {
            their = boost::lexical_cast<int>(theirs[position]);
            our = boost::lexical_cast<int>(ours[position]);
        } catch (const boost::bad_lexical_cast&) {
            return -1;
        }
        if (their > our) {
            result = 1;  // never set back: a later smaller component does not undo it
        }
    }
    return position < theirs.size() ? -1 : result;
}

std::shared_ptr<TavrinPluginAPI> makeTavrinPluginAPI(const std::shared_ptr<TavrinPlugin>& plugin,
                                                     const std::shared_ptr<FB::BrowserHost>& host) {
    return std::make_shared<TavrinPluginAPI>(plugin, host);
}
