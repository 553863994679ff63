#include "win32/RegistrySettings.hpp"

#include "win32/AsciiText.hpp"

#include <windows.h>

#include <string>

namespace {

constexpr const wchar_t* keyPath = L"Software\\vorpi";
constexpr const wchar_t* delayValue = L"Delay";
constexpr const wchar_t* scaleValue = L"Scale";
constexpr const wchar_t* seedValue = L"Seed";

std::optional<DWORD> readNumber(HKEY key, const wchar_t* name)
{
    DWORD value = 0;
    DWORD type = 0;
    DWORD size = sizeof value;
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS
        || type != REG_DWORD || size != sizeof value)
        return std::nullopt;
    return value;
}

std::string readText(HKEY key, const wchar_t* name)
{
    wchar_t text[32] = {};
    DWORD type = 0;
    DWORD size = sizeof text - sizeof(wchar_t);
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text), &size) != ERROR_SUCCESS
        || type != REG_SZ)
        return "";
    return narrowed(text);
}

// Writes `value`, or deletes it when there is none.
bool writeNumber(HKEY key, const wchar_t* name, std::optional<std::uint32_t> value)
{
    if (!value) {
        LSTATUS status = RegDeleteValueW(key, name);
        return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
    }
    DWORD number = *value;
    return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number)
        == ERROR_SUCCESS;
}

}

SaverSettings RegistrySettings::load()
{
    SaverSettings settings;
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, keyPath, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return settings;
    if (auto delay = readNumber(key, delayValue))
        settings.delayMicroseconds = SaverSettings::clampDelay(*delay);
    settings.seed = readNumber(key, seedValue);
    if (auto scale = ScaleSetting::parse(readText(key, scaleValue)))
        settings.scale = *scale;
    RegCloseKey(key);
    return settings;
}

bool RegistrySettings::save(const SaverSettings& settings)
{
    HKEY key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, keyPath, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr)
        != ERROR_SUCCESS)
        return false;
    std::wstring scale = widened(SaverSettings::scaleText(settings.scale));
    bool saved = writeNumber(key, delayValue, settings.delayMicroseconds) && writeNumber(key, seedValue, settings.seed)
        && RegSetValueExW(key, scaleValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(scale.c_str()),
               static_cast<DWORD>((scale.size() + 1) * sizeof(wchar_t)))
            == ERROR_SUCCESS;
    RegCloseKey(key);
    return saved;
}
