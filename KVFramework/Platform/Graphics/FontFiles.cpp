#include "Platform/Graphics/FontFiles.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>

namespace KV::Platform {

std::vector<std::string> ListFontFiles()
{
    std::vector<std::string> paths;
    FcPattern* all = FcPatternCreate();
    FcObjectSet* fields = FcObjectSetBuild(FC_FILE, nullptr);
    FcFontSet* fonts = (all && fields) ? FcFontList(nullptr, all, fields) : nullptr;
    if (fonts)
    {
        for (int i = 0; i < fonts->nfont; ++i)
        {
            FcChar8* file = nullptr;
            if (FcPatternGetString(fonts->fonts[i], FC_FILE, 0, &file) == FcResultMatch && file)
                paths.emplace_back(reinterpret_cast<const char*>(file));
        }
        FcFontSetDestroy(fonts);
    }
    if (fields)
        FcObjectSetDestroy(fields);
    if (all)
        FcPatternDestroy(all);
    std::sort(paths.begin(), paths.end());
    paths.erase(std::unique(paths.begin(), paths.end()), paths.end());
    return paths;
}

std::string MatchFontFamily(const std::string& family)
{
    std::string matched;
    FcPattern* wanted = FcPatternCreate();
    if (!wanted)
        return matched;
    FcPatternAddString(wanted, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcConfigSubstitute(nullptr, wanted, FcMatchPattern);
    FcDefaultSubstitute(wanted);
    FcResult result = FcResultNoMatch;
    FcPattern* found = FcFontMatch(nullptr, wanted, &result);
    FcChar8* name = nullptr;
    if (found && FcPatternGetString(found, FC_FAMILY, 0, &name) == FcResultMatch && name)
        matched = reinterpret_cast<const char*>(name);
    if (found)
        FcPatternDestroy(found);
    FcPatternDestroy(wanted);
    return matched;
}

} // namespace KV::Platform
