#include "support/workbook.h"

#include <QProcess>

namespace {

QString sheetXml(const QString &script, const QString &xlsx)
{
    QProcess p;
    p.start(QStringLiteral("python3"), {QStringLiteral("-c"), script, xlsx});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

QMap<QString, QString> workbookCells(const QString &xlsx)
{
    const QString script = QStringLiteral(R"(
import sys, zipfile, xml.etree.ElementTree as ET
ns = {'m': 'http://schemas.openxmlformats.org/spreadsheetml/2006/main'}
z = zipfile.ZipFile(sys.argv[1])
strings = [''.join(t.text or '' for t in si.iter('{%(m)s}t' % ns)) for si in ET.fromstring(z.read('xl/sharedStrings.xml')).findall('m:si', ns)]
styles = ET.fromstring(z.read('xl/styles.xml'))
formats = {f.get('numFmtId'): f.get('formatCode') for f in styles.iter('{%(m)s}numFmt' % ns)}
xfs = [x.get('numFmtId') for x in styles.find('m:cellXfs', ns).findall('m:xf', ns)]
sheet = ET.fromstring(z.read('xl/worksheets/sheet1.xml'))
for pane in sheet.iter('{%(m)s}pane' % ns):
    if pane.get('state') == 'frozen' and pane.get('ySplit') == '1':
        print('frozen')
for c in sheet.iter('{%(m)s}c' % ns):
    v = c.find('m:v', ns)
    value = v.text if v is not None else ''
    kind = c.get('t', 'n')
    if kind == 's':
        value = strings[int(value)]
    fmt = formats.get(xfs[int(c.get('s', '0'))], '')
    print(c.get('r') + '=' + kind + '|' + value.replace('\n', '\\n') + '|' + fmt)
)");
    QMap<QString, QString> cells;
    for (const QString &line : sheetXml(script, xlsx).split('\n', Qt::SkipEmptyParts))
        cells.insert(line.section('=', 0, 0), line.section('=', 1));
    return cells;
}
