#pragma once

#include "settings/SaverSettings.hpp"

// The settings under HKEY_CURRENT_USER\Software\vorpi, the only key the saver
// touches. Reading never creates it; a missing or unreadable value reads as
// unset, and a scale that is not one as auto.
class RegistrySettings {
public:
    static SaverSettings load();
    // False when the key cannot be written.
    static bool save(const SaverSettings& settings);
};
