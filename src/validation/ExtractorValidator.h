#pragma once
// CExtractorValidator: the process-wide validation object (extraction path, free space, setup
// language, license files, part files and integrity). Reach it through Validator().
#include <string>

class CExtractorValidator {
public:
    virtual ~CExtractorValidator() = default;

    void SetPropertiesPath(const std::wstring& path) { m_propertiesPath = path; }
    const std::wstring& GetPropertiesPath() const { return m_propertiesPath; }

    // Composes the message for an OS verdict (300/301/302) in `language`, stores it as the settings
    // object's finish message (empty for 300) and returns the verdict. The third argument is not
    // read; a non-zero `logFlag` logs the message. Defined in validation/OSCheck.cpp.
    int CheckOS(int verdict, int language, int unused, int logFlag);

    // Package requirements ([Conditions]): 1 when extraction is allowed, else 0. Uses the properties
    // path above, or the settings' one when none was set. Defined in conditions/ConditionCheck.cpp.
    int CheckConditions(int language);
    // "{Action1Message};{Key};..." of the last check that had conditions (the requirements page).
    const std::wstring& GetConditionMessageKeys() const { return m_conditionMessageKeys; }

protected:
    std::wstring m_propertiesPath;
    std::wstring m_conditionMessageKeys;
};
