#pragma once

#include <QLibrary>

// A shared library the program does not link but loads when first wanted, so
// that a start neither maps it nor what it brings. Each function is found by
// its name and typed as the library's own header declares it.
class RuntimeLibrary
{
public:
    RuntimeLibrary(const QString &name, int version) : m_library(name, version)
    {
        m_library.setLoadHints(QLibrary::PreventUnloadHint);
        m_found = m_library.load();
    }

    template <typename Function> void find(Function *&function, const char *name)
    {
        function = m_found ? reinterpret_cast<Function *>(m_library.resolve(name)) : nullptr;
        m_found = m_found && function;
    }

    // Whether the library and every function asked for were found; when not,
    // a warning says why.
    bool allFound() const
    {
        if (!m_found)
            qWarning("jeonpyo: %s not found: %s", qUtf8Printable(m_library.fileName()),
                     qUtf8Printable(m_library.errorString()));
        return m_found;
    }

    // Loads the library and fills a table of its functions, `findEach` finding
    // each of them (JEONPYO_RUNTIME_FIND); whether all were found. Called once
    // per table.
    template <typename Table, typename FindEach>
    static bool load(const QString &name, int version, Table &table, FindEach findEach)
    {
        RuntimeLibrary library(name, version);
        findEach(library, table);
        return library.allFound();
    }

private:
    QLibrary m_library;
    bool m_found = false;
};

// For a list of a library's functions, F(name) for each: a member of its
// table typed as the header declares the function, and, inside the
// `findEach` given to RuntimeLibrary::load(library, table), its finding.
#define JEONPYO_RUNTIME_POINTER(name) decltype(&::name) name = nullptr;
#define JEONPYO_RUNTIME_FIND(name) library.find(table.name, #name);
