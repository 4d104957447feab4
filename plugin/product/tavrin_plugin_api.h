// TavrinPluginAPI: the plug-in element's scriptable object: "getAttr", "outdated" and the
// version attributes.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "plugin/scripting/jsapi_auto.h"

namespace FB {
class BrowserHost;
}
class TavrinPlugin;

/// What the maker's pages see of the plug-in: version data and the machine's identifiers.
class TavrinPluginAPI : public FB::JSAPIAuto {
public:
    /// Registers "getAttr", "outdated" and the read-only attributes "version", "buildNum",
    /// "os" and "locale". Neither pointer is used by the methods; both may be empty.
    TavrinPluginAPI(const std::shared_ptr<TavrinPlugin>& plugin, const std::shared_ptr<FB::BrowserHost>& host);
    ~TavrinPluginAPI() override;

    /// The version data or a machine identifier named by name; "" for any other name.
    std::string getAttr(std::string name, std::optional<std::string> argument);
    /// 1 when version is newer than the plug-in's in some component, 0 when not, -1 when it
    /// has another number of components or a component that is no number.
    int outdated(std::string version);

private:
    std::string buildText() const;

    std::weak_ptr<TavrinPlugin> plugin;
    std::shared_ptr<FB::BrowserHost> host;
    std::string version;
    std::string locale;
    std::string os;
    double build;
};

/// A new product object owned by a shared pointer, so that it can hand out pointers to itself.
std::shared_ptr<TavrinPluginAPI> makeTavrinPluginAPI(const std::shared_ptr<TavrinPlugin>& plugin,
                                                     const std::shared_ptr<FB::BrowserHost>& host);
