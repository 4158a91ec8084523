<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="mk_MK">
<context>
    <name>ExportFormat</name>
    <message>
        <source>PDF file</source>
        <translation>PDF-датотека</translation>
    </message>
    <message>
        <source>PDF file (*.pdf)</source>
        <translation>PDF-датотека (*.pdf)</translation>
    </message>
    <message>
        <source>CSV file</source>
        <translation>CSV-датотека</translation>
    </message>
    <message>
        <source>CSV file (*.csv)</source>
        <translation>CSV-датотека (*.csv)</translation>
    </message>
    <message>
        <source>Excel workbook</source>
        <translation>Работна книга на Excel</translation>
    </message>
    <message>
        <source>Excel workbook (*.xlsx)</source>
        <translation>Работна книга на Excel (*.xlsx)</translation>
    </message>
    <message>
        <source>Export as %1</source>
        <translation>Извези како %1</translation>
    </message>
</context>
<context>
    <name>PreviewDialogs</name>
    <message>
        <source>Open</source>
        <translation>Отворање</translation>
    </message>
    <message>
        <source>Preview</source>
        <translation>Преглед</translation>
    </message>
    <message>
        <source>Print</source>
        <translation>Печатење</translation>
    </message>
    <message>
        <source>&quot;%1&quot; names no page to print. Type page numbers or ranges separated by commas, for example 1,3,5-12; 7- prints from page 7 to the last, -3 the first three pages.</source>
        <translation>„%1“ не означува страница за печатење. Внесете броеви на страници или опсези одделени со запирки, на пример 1,3,5-12; 7- ги печати страниците од 7 до последната, -3 првите три страници.</translation>
    </message>
</context>
<context>
    <name>PreviewModel</name>
    <message>
        <source>Page width</source>
        <translation>Ширина на страницата</translation>
    </message>
    <message>
        <source>Whole page</source>
        <translation>Цела страница</translation>
    </message>
    <message>
        <source>Page %1 of %2</source>
        <translation>Страница %1 од %2</translation>
    </message>
</context>
<context>
    <name>QGnomeTheme</name>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;Во ред</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Откажи</translation>
    </message>
    <message>
        <source>&amp;Close</source>
        <translation>&amp;Затвори</translation>
    </message>
</context>
<context>
    <name>QPlatformTheme</name>
    <message>
        <source>OK</source>
        <translation>Во ред</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Откажи</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Затвори</translation>
    </message>
</context>
<context>
    <name>RunCompanion</name>
    <message>
        <source>%1 visits selected, %2 counted, %3 not counted</source>
        <translation>Избрани посети: %1, избројани: %2, неизбројани: %3</translation>
    </message>
    <message>
        <source>Data check...</source>
        <translation>Проверка на податоците...</translation>
    </message>
    <message>
        <source>Visits behind this number...</source>
        <translation>Посетите зад овој број...</translation>
    </message>
    <message>
        <source>Compare with earlier periods...</source>
        <translation>Споредба со претходните периоди...</translation>
    </message>
    <message>
        <source>No visits: the period is empty, because &quot;%1&quot; (%2) is later than &quot;%3&quot; (%4)</source>
        <translation>Нема посети: периодот е празен, бидејќи „%1“ (%2) е подоцна од „%3“ (%4)</translation>
    </message>
    <message>
        <source>%1, %2 to %3</source>
        <translation>%1, %2 до %3</translation>
    </message>
</context>
<context>
    <name>Text</name>
    <message>
        <source>&quot;frame&quot; holds something other than left, right, top, bottom</source>
        <translation>„frame“ содржи нешто друго освен left, right, top и bottom</translation>
    </message>
    <message>
        <source>tarel: no display. The Tarel window needs a desktop session, and neither DISPLAY nor WAYLAND_DISPLAY
names one. The reports can be made without a window with tarel-report, for example:
  tarel-report visits-general-medicine --from 2024-01-01 --to 2024-01-31 --output visits.pdf
  tarel-report general-medicine --all-doctors --from 2024-01-01 --to 2024-01-31 --output morbidity.pdf
(tarel-report --help lists the reports and their options.)
</source>
        <translation>tarel: нема екран. Прозорецот на Tarel бара графичка сесија, а ниту DISPLAY ниту WAYLAND_DISPLAY
не именува таква. Извештаите може да се направат и без прозорец, со tarel-report, на пример:
  tarel-report visits-general-medicine --from 2024-01-01 --to 2024-01-31 --output visits.pdf
  tarel-report general-medicine --all-doctors --from 2024-01-01 --to 2024-01-31 --output morbidity.pdf
(tarel-report --help ги наведува извештаите и нивните опции.)
</translation>
    </message>
    <message>
        <source>it is a folder, not a file</source>
        <translation>тоа е папка, а не датотека</translation>
    </message>
    <message>
        <source>it is a named pipe, not a file</source>
        <translation>тоа е именувана цевка (named pipe), а не датотека</translation>
    </message>
    <message>
        <source>it is a device, not a file</source>
        <translation>тоа е уред, а не датотека</translation>
    </message>
    <message>
        <source>it is a socket, not a file</source>
        <translation>тоа е приклучок (socket), а не датотека</translation>
    </message>
    <message>
        <source>it is not a regular file</source>
        <translation>тоа не е обична датотека</translation>
    </message>
    <message>
        <source>the file does not exist</source>
        <translation>датотеката не постои</translation>
    </message>
    <message>
        <source>it is larger than %1 MB</source>
        <translation>поголема е од %1 MB</translation>
    </message>
    <message>
        <source>no file name given</source>
        <translation>не е дадено име на датотека</translation>
    </message>
    <message>
        <source>the folder &quot;%1&quot; does not exist</source>
        <translation>папката „%1“ не постои</translation>
    </message>
    <message>
        <source>it belongs to %1 &quot;%2&quot;, which is only read. Choose another file name</source>
        <translation>припаѓа на %1 „%2“, што само се чита. Изберете друго име на датотеката</translation>
    </message>
    <message>
        <source>it is %1 &quot;%2&quot;, which is only read. Choose another file name</source>
        <translation>тоа е %1 „%2“, што само се чита. Изберете друго име на датотеката</translation>
    </message>
    <message>
        <source>the source database</source>
        <translation>изворната база на податоци</translation>
    </message>
    <message>
        <source>Cannot write &quot;%1&quot;: %2</source>
        <translation>Не може да се запише „%1“: %2</translation>
    </message>
    <message>
        <source>the file was not opened</source>
        <translation>датотеката не беше отворена</translation>
    </message>
    <message>
        <source>the file changed while it was written</source>
        <translation>датотеката се промени додека се запишуваше</translation>
    </message>
    <message>
        <source>The alias file &apos;%1&apos; does not exist</source>
        <translation>Датотеката со алијаси „%1“ не постои</translation>
    </message>
    <message>
        <source>Unknown database alias &apos;%1&apos;</source>
        <translation>Непознат алијас на база на податоци „%1“</translation>
    </message>
    <message>
        <source>The alias file &apos;%1&apos; cannot be read: %2</source>
        <translation>Датотеката со алијаси „%1“ не може да се прочита: %2</translation>
    </message>
    <message>
        <source>The alias file &apos;%1&apos; cannot be read</source>
        <translation>Датотеката со алијаси „%1“ не може да се прочита</translation>
    </message>
    <message>
        <source>Unknown database alias &apos;%1&apos; in &apos;%2&apos;</source>
        <translation>Непознат алијас на база на податоци „%1“ во „%2“</translation>
    </message>
    <message>
        <source>The alias &apos;%1&apos; in &apos;%2&apos; names no database</source>
        <translation>Алијасот „%1“ во „%2“ не именува база на податоци</translation>
    </message>
    <message>
        <source>The password file &apos;%1&apos; cannot be read: %2</source>
        <translation>Датотеката со лозинката „%1“ не може да се прочита: %2</translation>
    </message>
    <message>
        <source>Unknown database error</source>
        <translation>Непозната грешка на базата на податоци</translation>
    </message>
    <message>
        <source>The database file &quot;%1&quot; was left half-written by a program that stopped while writing to it: its journal &quot;%1-journal&quot; is still there. Start the patient-administration program once, so that it undoes the unfinished change, then try again</source>
        <translation>Датотеката на базата на податоци „%1“ остана полузапишана од програма што запре додека запишуваше во неа: нејзиниот дневник „%1-journal“ сè уште е таму. Стартувајте ја еднаш програмата за администрација на пациенти, за да ја поништи недовршената промена, па обидете се повторно</translation>
    </message>
    <message>
        <source>The database file &quot;%1&quot; uses write-ahead logging and lies on a read-only file system; its latest changes are in &quot;%1-wal&quot;, which cannot be read there. Open the database once where it can be written, so that those changes move into the file, then try again</source>
        <translation>Датотеката на базата на податоци „%1“ користи дневник за однапред запишување (write-ahead logging) и се наоѓа на датотечен систем само за читање; нејзините последни промени се во „%1-wal“, кој таму не може да се прочита. Отворете ја базата еднаш таму каде што може да се запишува, за тие промени да преминат во датотеката, па обидете се повторно</translation>
    </message>
    <message>
        <source>The database file &quot;%1&quot; uses write-ahead logging: reading it needs the file &quot;%1-shm&quot; beside it, which cannot be created because the folder &quot;%2&quot; cannot be written. Give this user write permission on the folder, or switch the database to a rollback journal (PRAGMA journal_mode=DELETE), then try again</source>
        <translation>Датотеката на базата на податоци „%1“ користи дневник за однапред запишување (write-ahead logging): за да се чита, потребна е датотеката „%1-shm“ покрај неа, која не може да се создаде бидејќи во папката „%2“ не може да се запишува. Дајте му на овој корисник дозвола за запишување во папката или префрлете ја базата на дневник за враќање (PRAGMA journal_mode=DELETE), па обидете се повторно</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is not a valid date</source>
        <translation>„%1“ не е валиден датум</translation>
    </message>
    <message>
        <source>The database driver &apos;%1&apos; of alias &apos;%2&apos; is not available</source>
        <translation>Двигателот на базата на податоци „%1“ за алијасот „%2“ не е достапен</translation>
    </message>
    <message>
        <source>The database file &apos;%1&apos; does not exist</source>
        <translation>Датотеката на базата на податоци „%1“ не постои</translation>
    </message>
    <message>
        <source>The database file &apos;%1&apos; cannot be read: %2</source>
        <translation>Датотеката на базата на податоци „%1“ не може да се прочита: %2</translation>
    </message>
    <message>
        <source>The database file &apos;%1&apos; cannot be read</source>
        <translation>Датотеката на базата на податоци „%1“ не може да се прочита</translation>
    </message>
    <message>
        <source> on %1</source>
        <translation> на %1</translation>
    </message>
    <message>
        <source>Cannot read the database file &quot;%1&quot;: %2</source>
        <translation>Не може да се прочита датотеката на базата на податоци „%1“: %2</translation>
    </message>
    <message>
        <source>Cannot open the database of alias &apos;%1&apos;: %2</source>
        <translation>Не може да се отвори базата на податоци на алијасот „%1“: %2</translation>
    </message>
    <message>
        <source>Cannot read the database of alias &apos;%1&apos;: %2</source>
        <translation>Не може да се чита базата на податоци на алијасот „%1“: %2</translation>
    </message>
    <message>
        <source>The database file &quot;%1&quot; is empty: it holds none of the patient-administration program&apos;s tables. Check that it is the right file</source>
        <translation>Датотеката на базата на податоци „%1“ е празна: не ја содржи ниту една од табелите на програмата за администрација на пациенти. Проверете дали е вистинската датотека</translation>
    </message>
    <message>
        <source>The database file &quot;%1&quot; is damaged (%2): it cannot be read. Have it repaired or restored from a backup by whoever looks after the patient-administration program</source>
        <translation>Датотеката на базата на податоци „%1“ е оштетена (%2): не може да се прочита. Нека ја поправи или врати од резервна копија тој што се грижи за програмата за администрација на пациенти</translation>
    </message>
    <message>
        <source>The file &quot;%1&quot; is not a database (%2). Check that it is the right file</source>
        <translation>Датотеката „%1“ не е база на податоци (%2). Проверете дали е вистинската датотека</translation>
    </message>
    <message>
        <source>Cannot read the database file &quot;%1&quot;: the disk reported an error (%2). Check the disk or network share, then try again</source>
        <translation>Не може да се прочита датотеката на базата на податоци „%1“: дискот пријави грешка (%2). Проверете го дискот или мрежната папка, па обидете се повторно</translation>
    </message>
    <message>
        <source>The database %1 is locked: another program is writing to it, and it stayed locked for %2 seconds. Try again when that program has finished</source>
        <translation>Базата на податоци %1 е заклучена: друга програма запишува во неа, и таа остана заклучена %2 секунди. Обидете се повторно кога таа програма ќе заврши</translation>
    </message>
    <message>
        <source>The database is not open</source>
        <translation>Базата на податоци не е отворена</translation>
    </message>
    <message>
        <source>The connection to the database server was lost and cannot be opened again: %1</source>
        <translation>Врската со серверот на базата на податоци е прекината и не може повторно да се воспостави: %1</translation>
    </message>
    <message>
        <source>the report has no pages</source>
        <translation>извештајот нема страници</translation>
    </message>
    <message>
        <source>the PDF writer could not start</source>
        <translation>запишувањето на PDF не можеше да започне</translation>
    </message>
    <message>
        <source>the PDF writer could not finish</source>
        <translation>запишувањето на PDF не можеше да заврши</translation>
    </message>
    <message>
        <source>the report has no page %1</source>
        <translation>извештајот нема страница %1</translation>
    </message>
    <message>
        <source>a page at %1 dpi is too large to draw</source>
        <translation>страница со %1 dpi е преголема за цртање</translation>
    </message>
    <message>
        <source>the PNG could not be encoded</source>
        <translation>PNG-сликата не можеше да се кодира</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is missing</source>
        <translation>„%1“ недостасува</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a number</source>
        <translation>„%1“ не е број</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is %2, outside %3 to %4</source>
        <translation>„%1“ е %2, надвор од %3 до %4</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a whole number</source>
        <translation>„%1“ не е цел број</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not true or false</source>
        <translation>„%1“ не е true или false</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a text</source>
        <translation>„%1“ не е текст</translation>
    </message>
    <message>
        <source>%1 is not an object</source>
        <translation>%1 не е објект</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a list</source>
        <translation>„%1“ не е листа</translation>
    </message>
    <message>
        <source>the font height is not above 0</source>
        <translation>висината на фонтот не е поголема од 0</translation>
    </message>
    <message>
        <source>&quot;hAlign&quot; is not left, center or right</source>
        <translation>„hAlign“ не е left, center или right</translation>
    </message>
    <message>
        <source>&quot;vAlign&quot; is not top, center or bottom</source>
        <translation>„vAlign“ не е top, center или bottom</translation>
    </message>
    <message>
        <source>%1 cells, more than the %2 a page may hold</source>
        <translation>%1 ќелии, повеќе од %2 што може да ги собере една страница</translation>
    </message>
    <message>
        <source>page %1, cell %2</source>
        <translation>страница %1, ќелија %2</translation>
    </message>
    <message>
        <source>it</source>
        <comment>a page or a cell in &quot;%1 is not an object&quot;</comment>
        <translation>таа</translation>
    </message>
    <message>
        <source>Cannot read &quot;%1&quot;: %2</source>
        <translation>Не може да се прочита „%1“: %2</translation>
    </message>
    <message>
        <source>the decompressor could not start</source>
        <translation>распакувањето не можеше да започне</translation>
    </message>
    <message>
        <source>it unpacks to more than %1 MB</source>
        <translation>распакувана е поголема од %1 MB</translation>
    </message>
    <message>
        <source>the compressed data is truncated</source>
        <translation>компресираните податоци се скратени</translation>
    </message>
    <message>
        <source>the compressed data is corrupt</source>
        <translation>компресираните податоци се оштетени</translation>
    </message>
    <message>
        <source>the file is empty</source>
        <translation>датотеката е празна</translation>
    </message>
    <message>
        <source>it is not a prepared report (%1 at byte %2)</source>
        <translation>не е подготвен извештај (%1 на бајт %2)</translation>
    </message>
    <message>
        <source>it is not a prepared report</source>
        <translation>не е подготвен извештај</translation>
    </message>
    <message>
        <source>it is not a prepared report (format is not &quot;%1&quot;)</source>
        <translation>не е подготвен извештај (форматот не е „%1“)</translation>
    </message>
    <message>
        <source>its version is not %1, the one this program reads</source>
        <translation>нејзината верзија не е %1, онаа што ја чита оваа програма</translation>
    </message>
    <message>
        <source>%1 pages, more than the %2 a report may hold</source>
        <translation>%1 страници, повеќе од %2 што може да ги има еден извештај</translation>
    </message>
    <message>
        <source>page %1</source>
        <translation>страница %1</translation>
    </message>
    <message>
        <source>Cannot write &quot;%1&quot;: cell %2 has no valid position</source>
        <translation>Не може да се запише „%1“: ќелијата %2 нема валидна положба</translation>
    </message>
    <message>
        <source>The printer &quot;%1&quot; could not be started</source>
        <translation>Печатачот „%1“ не можеше да се стартува</translation>
    </message>
    <message>
        <source>The printer &quot;%1&quot; failed to start a new page</source>
        <translation>Печатачот „%1“ не успеа да започне нова страница</translation>
    </message>
    <message>
        <source>The printer &quot;%1&quot; failed to finish the print job</source>
        <translation>Печатачот „%1“ не успеа да ја заврши задачата за печатење</translation>
    </message>
    <message>
        <source>out of memory</source>
        <translation>нема доволно меморија</translation>
    </message>
    <message>
        <source>the workbook could not be started</source>
        <translation>работната книга не можеше да се започне</translation>
    </message>
    <message>
        <source>the sheets could not be added</source>
        <translation>листовите не можеа да се додадат</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is not a valid integer value</source>
        <translation>„%1“ не е валидна целобројна вредност</translation>
    </message>
    <message>
        <source>The report does not say what it was asked: it was saved before reports kept their request</source>
        <translation>Извештајот не кажува што е побарано: зачуван е пред извештаите да го чуваат своето барање</translation>
    </message>
    <message>
        <source>The report&apos;s request names no known report (&apos;%1&apos;)</source>
        <translation>Барањето на извештајот не именува познат извештај („%1“)</translation>
    </message>
    <message>
        <source>The report&apos;s request has no valid date &apos;%1&apos;</source>
        <translation>Барањето на извештајот нема валиден датум „%1“</translation>
    </message>
    <message>
        <source>The report&apos;s request has an unknown area &apos;%1&apos;</source>
        <translation>Барањето на извештајот има непознато подрачје „%1“</translation>
    </message>
    <message>
        <source>The report&apos;s request names no database</source>
        <translation>Барањето на извештајот не именува база на податоци</translation>
    </message>
    <message>
        <source>Waiting for the database to answer...</source>
        <translation>Се чека базата на податоци да одговори...</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Откажи</translation>
    </message>
    <message>
        <source>Stopping the run...</source>
        <translation>Извршувањето се запира...</translation>
    </message>
    <message>
        <source>Waiting for the database: another program is writing to it...</source>
        <translation>Се чека базата на податоци: друга програма запишува во неа...</translation>
    </message>
    <message>
        <source>The alias &apos;%1&apos; in &apos;%2&apos;: %3 must be a number of seconds from 1 to %4</source>
        <translation>Алијасот „%1“ во „%2“: %3 мора да биде број на секунди од 1 до %4</translation>
    </message>
    <message>
        <source>The database %1 has no table %2 (%3), which the program reads for %4. Check that it is the patient-administration program&apos;s database</source>
        <translation>Базата на податоци %1 нема табела %2 (%3), која програмата ја чита за %4. Проверете дали е тоа базата на податоци на програмата за администрација на пациенти</translation>
    </message>
    <message>
        <source>The table %1 of the database %2 has no column %3, which the program reads for %4. Check that the database is the patient-administration program&apos;s, of a version that keeps this column</source>
        <translation>Табелата %1 во базата на податоци %2 нема колона %3, која програмата ја чита за %4. Проверете дали базата на податоци е на програмата за администрација на пациенти, во верзија што ја чува оваа колона</translation>
    </message>
    <message>
        <source>the list of doctors</source>
        <translation>листата на лекари</translation>
    </message>
    <message>
        <source>the list of doctors with visits</source>
        <translation>листата на лекари со посети</translation>
    </message>
    <message>
        <source>the header of every report</source>
        <translation>заглавјето на секој извештај</translation>
    </message>
    <message>
        <source>the visits</source>
        <translation>посетите</translation>
    </message>
    <message>
        <source>the insured persons</source>
        <translation>осигурениците</translation>
    </message>
    <message>
        <source>the institution&apos;s particulars</source>
        <translation>податоците за установата</translation>
    </message>
    <message>
        <source>the doctors</source>
        <translation>лекарите</translation>
    </message>
    <message>
        <source>the report %1</source>
        <translation>извештајот %1</translation>
    </message>
    <message>
        <source>it holds %1 values, more than the %2 a report may hold</source>
        <translation>содржи %1 вредности, повеќе од %2 што може да ги има еден извештај</translation>
    </message>
    <message>
        <source>it is damaged: &quot;%1&quot; is not an object</source>
        <translation>оштетена е: „%1“ не е објект</translation>
    </message>
    <message>
        <source>the workbook could not be made in the folder &quot;%1&quot;: %2 (%3)</source>
        <translation>работната книга не можеше да се направи во папката „%1“: %2 (%3)</translation>
    </message>
    <message>
        <source>the workbook could not be made in the folder &quot;%1&quot;: %2</source>
        <translation>работната книга не можеше да се направи во папката „%1“: %2</translation>
    </message>
    <message>
        <source>&quot;%1&quot; holds %2, not a number of the table</source>
        <translation>„%1“ содржи %2, а не број од табелата</translation>
    </message>
    <message>
        <source>&quot;%1&quot; holds something other than texts</source>
        <translation>„%1“ содржи нешто друго освен текстови</translation>
    </message>
    <message>
        <source>The report&apos;s request names no report</source>
        <translation>Барањето на извештајот не именува извештај</translation>
    </message>
    <message>
        <source>&quot;printedOn&quot; is not a date</source>
        <translation>„printedOn“ не е датум</translation>
    </message>
    <message>
        <source>the count table is larger than any form&apos;s</source>
        <translation>табелата со бројки е поголема од табелата на кој било образец</translation>
    </message>
    <message>
        <source>a row of the count table has no kind</source>
        <translation>еден ред од табелата со бројки нема вид</translation>
    </message>
    <message>
        <source>a column of the count table has an unknown sex</source>
        <translation>една колона од табелата со бројки има непознат пол</translation>
    </message>
    <message>
        <source>the count table has %1 rows of counts for %2 rows</source>
        <translation>табелата со бројки има %1 редови со бројки за %2 редови</translation>
    </message>
    <message>
        <source>row %1 of the count table has %2 counts for %3 columns</source>
        <translation>редот %1 од табелата со бројки има %2 бројки за %3 колони</translation>
    </message>
    <message>
        <source>row %1 of the count table holds something other than a count</source>
        <translation>редот %1 од табелата со бројки содржи нешто друго освен бројка</translation>
    </message>
    <message>
        <source>The visits behind cell %1 make %2 lines, but the run counted %3 in it</source>
        <translation>Посетите зад ќелијата %1 даваат %2 редови, а извршувањето изброи %3 во неа</translation>
    </message>
    <message>
        <source>The counts of the result are not those of the form %1</source>
        <translation>Бројките на резултатот не се тие на образецот %1</translation>
    </message>
    <message>
        <source>The pages are not those of a form of this program (&apos;%1&apos;)</source>
        <translation>Страниците не се од образец на оваа програма („%1“)</translation>
    </message>
    <message>
        <source>The pages are not those of the form %1 of the report %2</source>
        <translation>Страниците не се од образецот %1 на извештајот %2</translation>
    </message>
    <message>
        <source>The count cell %1 of the saved report prints &apos;%2&apos;, not a number</source>
        <translation>Ќелијата со бројка %1 на зачуваниот извештај печати „%2“, а не број</translation>
    </message>
    <message>
        <source>the report keeps no counts to write as a table</source>
        <translation>извештајот не чува бројки што би се запишале како табела</translation>
    </message>
    <message>
        <source>it keeps a run&apos;s result but not what the run was asked</source>
        <translation>чува резултат на извршување, но не и што е побарано</translation>
    </message>
    <message>
        <source>its request is damaged: %1</source>
        <translation>неговото барање е оштетено: %1</translation>
    </message>
    <message>
        <source>its data check is damaged: %1</source>
        <translation>неговата проверка на податоците е оштетена: %1</translation>
    </message>
    <message>
        <source>its counts are damaged: %1</source>
        <translation>неговите бројки се оштетени: %1</translation>
    </message>
    <message>
        <source>The history must be from 1 to %1 periods, not %2</source>
        <translation>Историјата мора да има од 1 до %1 периоди, а не %2</translation>
    </message>
    <message>
        <source>The period ends before it begins</source>
        <translation>Периодот завршува пред да започне</translation>
    </message>
    <message>
        <source>The period must lie in the years 1 to 9999</source>
        <translation>Периодот мора да биде во годините од 1 до 9999</translation>
    </message>
    <message>
        <source>the workbook could not be read back to add its sparklines</source>
        <translation>работната книга не можеше повторно да се прочита за да се додадат малите графици</translation>
    </message>
    <message>
        <source>the workbook lacks its sheet of rows</source>
        <translation>во работната книга го нема листот со редови</translation>
    </message>
    <message>
        <source>the workbook&apos;s sheet of rows could not be read back</source>
        <translation>листот со редови на работната книга не можеше повторно да се прочита</translation>
    </message>
    <message>
        <source>the workbook could not be made</source>
        <translation>работната книга не можеше да се направи</translation>
    </message>
    <message>
        <source>the names of the doctors compared over periods</source>
        <translation>имињата на лекарите што се споредуваат по периоди</translation>
    </message>
    <message>
        <source>the earliest visit date</source>
        <translation>најраниот датум на посета</translation>
    </message>
    <message>
        <source>Reading the insured persons: %1 of %2</source>
        <translation>Се читаат осигурениците: %1 од %2</translation>
    </message>
    <message>
        <source>Reading the insured persons: %1</source>
        <translation>Се читаат осигурениците: %1</translation>
    </message>
    <message>
        <source>Reading the visits of the period: %1 of about %2</source>
        <translation>Се читаат посетите од периодот: %1 од околу %2</translation>
    </message>
    <message>
        <source>Reading the visits of the period: %1</source>
        <translation>Се читаат посетите од периодот: %1</translation>
    </message>
    <message>
        <source>The database driver &apos;%1&apos; of alias &apos;%2&apos; is not installed: install the package %3</source>
        <translation>Двигателот на базата на податоци „%1“ за алијасот „%2“ не е инсталиран: инсталирајте го пакетот %3</translation>
    </message>
    <message>
        <source>The alias &apos;%1&apos; names a Firebird database file without a server, and opening it so needs Firebird&apos;s engine, which is not installed: install the package firebird3.0-server-core, or name the server (host) in the alias</source>
        <translation>Алијасот „%1“ именува датотека со база на податоци Firebird без сервер, а за да се отвори така потребен е моторот на Firebird, кој не е инсталиран: инсталирајте го пакетот firebird3.0-server-core или наведете го серверот (host) во алијасот</translation>
    </message>
    <message>
        <source>The database server of alias &apos;%1&apos; cannot be reached (%2): nothing accepts connections there, or it did not answer within %3 seconds. Check that the server runs and the alias&apos;s host and port (%4)</source>
        <translation>Серверот на базата на податоци за алијасот „%1“ не може да се достигне (%2): таму ништо не прима врски или не одговори за %3 секунди. Проверете дали серверот работи и дали се точни host и port на алијасот (%4)</translation>
    </message>
    <message>
        <source>The connection to the database server of alias &apos;%1&apos; was lost (%2): the run was stopped and nothing was written. Run it again once the server can be reached</source>
        <translation>Врската со серверот на базата на податоци за алијасот „%1“ се прекина (%2): извршувањето е запрено и ништо не е запишано. Извршете го повторно кога серверот ќе биде достапен</translation>
    </message>
    <message>
        <source>The database %1 of alias &apos;%2&apos; does not exist on its server. Check the alias&apos;s database (%3)</source>
        <translation>Базата на податоци %1 за алијасот „%2“ не постои на својот сервер. Проверете ја базата на алијасот (%3)</translation>
    </message>
    <message>
        <source>The database server refused the login of user &apos;%1&apos; to %2: the password is wrong, or the user is not known there or may not read this database (%3). Check the alias&apos;s user and password</source>
        <translation>Серверот на базата на податоци го одби најавувањето на корисникот „%1“ на %2: лозинката е погрешна, или корисникот не е познат таму или не смее да ја чита оваа база (%3). Проверете ги корисникот и лозинката на алијасот</translation>
    </message>
    <message>
        <source>The ODBC driver &apos;%1&apos; that alias &apos;%2&apos; names is not installed: install its package (odbc-postgresql for PostgreSQL, odbc-mariadb for MariaDB and MySQL, tdsodbc for SQL Server); &apos;odbcinst -q -d&apos; lists the drivers installed (%3)</source>
        <translation>ODBC-двигателот „%1“ што го именува алијасот „%2“ не е инсталиран: инсталирајте го неговиот пакет (odbc-postgresql за PostgreSQL, odbc-mariadb за MariaDB и MySQL, tdsodbc за SQL Server); „odbcinst -q -d“ ги наведува инсталираните двигатели (%3)</translation>
    </message>
    <message>
        <source>The ODBC data source &apos;%1&apos; of alias &apos;%2&apos; is not defined: define it in /etc/odbc.ini or ~/.odbc.ini (&apos;odbcinst -q -s&apos; lists them), or give a connection string (DRIVER={...};SERVER=...) as the alias&apos;s database (%3)</source>
        <translation>ODBC-изворот на податоци „%1“ за алијасот „%2“ не е дефиниран: дефинирајте го во /etc/odbc.ini или ~/.odbc.ini („odbcinst -q -s“ ги наведува), или наведете низа за поврзување (DRIVER={...};SERVER=...) како база на алијасот (%3)</translation>
    </message>
    <message>
        <source>%1, %2 to %3. Every visit the report selects is either counted or listed here with the reason it is not.</source>
        <translation>%1, од %2 до %3. Секоја посета што извештајот ја избира е или избројана или наведена тука со причината зошто не е.</translation>
    </message>
    <message>
        <source>Visits selected</source>
        <translation>Избрани посети</translation>
    </message>
    <message>
        <source>Rows the report&apos;s statements return for the period and the request (the visit reports: urban and rural together).</source>
        <translation>Редовите што ги враќаат SQL-наредбите на извештајот за периодот и барањето (кај извештаите за посети: град и село заедно).</translation>
    </message>
    <message>
        <source>Counted</source>
        <translation>Избројани</translation>
    </message>
    <message>
        <source>Visits that add to at least one number of the form.</source>
        <translation>Посети што се додаваат барем на еден број од обрасецот.</translation>
    </message>
    <message>
        <source>Visits counted in the column of all visits.</source>
        <translation>Посети избројани во колоната на сите посети.</translation>
    </message>
    <message>
        <source>Diagnosis in no row</source>
        <translation>Дијагноза во ниеден ред</translation>
    </message>
    <message>
        <source>The visit&apos;s diagnosis is in no row of the report&apos;s list, so it counts nowhere. The table below names them; correct a wrong diagnosis in the patient-administration program.</source>
        <translation>Дијагнозата на посетата не е во ниеден ред од листата на извештајот, па посетата не се брои никаде. Табелата подолу ги наведува тие дијагнози; поправете ја погрешната дијагноза во програмата за администрација на пациенти.</translation>
    </message>
    <message>
        <source>Age in no band</source>
        <translation>Возраст во ниедна група</translation>
    </message>
    <message>
        <source>The patient&apos;s age at the last day of the period is in none of the report&apos;s age bands (an adult in a children&apos;s report). Nothing to mend unless the birth date is wrong.</source>
        <translation>Возраста на пациентот на последниот ден од периодот не е во ниедна од возрасните групи на извештајот (возрасен во извештај за деца). Нема што да се поправа, освен ако датумот на раѓање е погрешен.</translation>
    </message>
    <message>
        <source>Counted in two rows</source>
        <translation>Избројани во два реда</translation>
    </message>
    <message>
        <source>Visits whose diagnosis the form lists in two rows, so each is counted in both, as the form means it; the chapter subtotal and the total count such a visit twice. Nothing to mend.</source>
        <translation>Посети чија дијагноза обрасецот ја наведува во два реда, па секоја се брои во двата, како што обрасецот предвидува; меѓузбирот на поглавјето и вкупниот збир ја бројат таквата посета двапати. Нема што да се поправа.</translation>
    </message>
    <message>
        <source>No birth date</source>
        <translation>Без датум на раѓање</translation>
    </message>
    <message>
        <source>Counted visits of patients without a birth date: they count as born on 30 December 1899. Enter the birth date.</source>
        <translation>Избројани посети на пациенти без датум на раѓање: се бројат како родени на 30 декември 1899. Внесете го датумот на раѓање.</translation>
    </message>
    <message>
        <source>Person listed twice</source>
        <translation>Лице наведено двапати</translation>
    </message>
    <message>
        <source>Extra rows of visits whose citizen number belongs to more than one insured person: such a visit counts once for each. Remove the duplicate insured person.</source>
        <translation>Дополнителни редови на посети чиј матичен број му припаѓа на повеќе од еден осигуреник: таквата посета се брои по еднаш за секој од нив. Отстранете го двојно внесениот осигуреник.</translation>
    </message>
    <message>
        <source>Citizen number unknown</source>
        <translation>Непознат матичен број</translation>
    </message>
    <message>
        <source>Visits of the period whose citizen number matches no insured person: no report selects them. Correct the citizen number or register the person.</source>
        <translation>Посети од периодот чиј матичен број не одговара на ниеден осигуреник: ниеден извештај не ги избира. Поправете го матичниот број или регистрирајте го лицето.</translation>
    </message>
    <message>
        <source>No settlement code</source>
        <translation>Без шифра на населено место</translation>
    </message>
    <message>
        <source>Rows left out only because the insured person has no settlement code, so neither urban nor rural takes them. Enter the settlement code.</source>
        <translation>Редови изоставени само затоа што осигуреникот нема шифра на населено место, па не ги зема ниту град ниту село. Внесете ја шифрата на населеното место.</translation>
    </message>
    <message>
        <source>Visit date not YYYY-MM-DD</source>
        <translation>Датум на посета не во облик YYYY-MM-DD</translation>
    </message>
    <message>
        <source>Visits in the whole database whose date is not written as a date (YYYY-MM-DD): no period selects them reliably. Correct the visit date.</source>
        <translation>Посети во целата база на податоци чиј датум не е запишан како датум (YYYY-MM-DD): ниеден период не ги избира сигурно. Поправете го датумот на посетата.</translation>
    </message>
    <message>
        <source>row %1 (%2)</source>
        <translation>ред %1 (%2)</translation>
    </message>
    <message>
        <source>Visits, school children and youth</source>
        <translation>Посети, училишни деца и младина</translation>
    </message>
    <message>
        <source>Visits, children</source>
        <translation>Посети, деца</translation>
    </message>
    <message>
        <source>Visits, general medicine</source>
        <translation>Посети, општа медицина</translation>
    </message>
    <message>
        <source>General medicine</source>
        <translation>Општа медицина</translation>
    </message>
    <message>
        <source>School children and youth</source>
        <translation>Училишни деца и младина</translation>
    </message>
    <message>
        <source>Children</source>
        <translation>Деца</translation>
    </message>
</context>
<context>
    <name>tarel::app::DataCheckDialog</name>
    <message>
        <source>Data check</source>
        <translation>Проверка на податоците</translation>
    </message>
    <message>
        <source>Figure</source>
        <translation>Бројка</translation>
    </message>
    <message>
        <source>Visits</source>
        <translation>Посети</translation>
    </message>
    <message>
        <source>What it means</source>
        <translation>Што значи</translation>
    </message>
    <message>
        <source>Category</source>
        <translation>Категорија</translation>
    </message>
    <message>
        <source>Sub-category</source>
        <translation>Поткатегорија</translation>
    </message>
    <message>
        <source>Rows its printed code suggests</source>
        <translation>Редови што ги предлага нејзината печатена шифра</translation>
    </message>
    <message>
        <source>Save...</source>
        <translation>Зачувај...</translation>
    </message>
    <message>
        <source>Diagnoses in no row:</source>
        <translation>Дијагнози во ниеден ред:</translation>
    </message>
    <message>
        <source>Save the data check</source>
        <translation>Зачувување на проверката на податоците</translation>
    </message>
    <message>
        <source>JSON (*.json);;CSV (*.csv)</source>
        <translation>JSON (*.json);;CSV (*.csv)</translation>
    </message>
</context>
<context>
    <name>tarel::app::TfrmTarel</name>
    <message>
        <source>Cannot open the database of alias &apos;%1&apos;</source>
        <translation>Не може да се отвори базата на податоци на алијасот „%1“</translation>
    </message>
    <message>
        <source>A report is being prepared. Wait until it is shown, or cancel it, before you ask for another.</source>
        <translation>Се подготвува извештај. Почекајте додека не се прикаже или откажете го пред да побарате друг.</translation>
    </message>
</context>
<context>
    <name>tarel::app::TrendWindow</name>
    <message>
        <source>gone</source>
        <translation>исчезна</translation>
    </message>
    <message>
        <source>new</source>
        <translation>нова</translation>
    </message>
    <message>
        <source>extreme</source>
        <translation>екстремно</translation>
    </message>
    <message>
        <source>moderate</source>
        <translation>умерено</translation>
    </message>
    <message>
        <source>silent</source>
        <translation>без посети</translation>
    </message>
    <message>
        <source>Row</source>
        <translation>Ред</translation>
    </message>
    <message>
        <source>Label</source>
        <translation>Назив</translation>
    </message>
    <message>
        <source>Column</source>
        <translation>Колона</translation>
    </message>
    <message>
        <source>This period</source>
        <translation>Овој период</translation>
    </message>
    <message>
        <source>Mean</source>
        <translation>Просек</translation>
    </message>
    <message>
        <source>Ratio to the mean</source>
        <translation>Однос кон просекот</translation>
    </message>
    <message>
        <source>Flag</source>
        <translation>Ознака</translation>
    </message>
    <message>
        <source>Code</source>
        <translation>Шифра</translation>
    </message>
    <message>
        <source>Doctor</source>
        <translation>Лекар</translation>
    </message>
    <message>
        <source>Compare with earlier periods: %1</source>
        <translation>Споредба со претходните периоди: %1</translation>
    </message>
    <message>
        <source>Period %1, %2, %3; earlier periods: %4.</source>
        <translation>Период %1, %2, %3; претходни периоди: %4.</translation>
    </message>
    <message>
        <source>Nothing is flagged with fewer than %1 earlier periods.</source>
        <translation>Со помалку од %1 претходни периоди ништо не се означува.</translation>
    </message>
    <message>
        <source>No number is flagged.</source>
        <translation>Ниту еден број не е означен.</translation>
    </message>
    <message>
        <source>Flagged numbers: %1.</source>
        <translation>Означени броеви: %1.</translation>
    </message>
    <message>
        <source>The doctors are compared in the morbidity reports over all doctors.</source>
        <translation>Лекарите се споредуваат во извештаите за заболувања за сите лекари.</translation>
    </message>
    <message>
        <source>Selected visits per doctor and period:</source>
        <translation>Избрани посети по лекар и период:</translation>
    </message>
    <message>
        <source>Select a flagged number to see its periods.</source>
        <translation>Изберете означен број за да ги видите неговите периоди.</translation>
    </message>
    <message>
        <source>Mean ± 3 sd</source>
        <translation>Просек ± 3 ст. дев.</translation>
    </message>
    <message>
        <source>Mean ± 2 sd</source>
        <translation>Просек ± 2 ст. дев.</translation>
    </message>
    <message>
        <source>Count</source>
        <translation>Број</translation>
    </message>
    <message>
        <source>Compare with earlier periods</source>
        <translation>Споредба со претходните периоди</translation>
    </message>
    <message>
        <source>The report cannot be compared with earlier periods: %1</source>
        <translation>Извештајот не може да се спореди со претходните периоди: %1</translation>
    </message>
    <message>
        <source>the report does not say what it was asked</source>
        <translation>извештајот не кажува што е побарано</translation>
    </message>
</context>
<context>
    <name>tarel::app::VisitListWindow</name>
    <message>
        <source>1 visit</source>
        <translation>1 посета</translation>
    </message>
    <message>
        <source>%1 visits</source>
        <translation>%1 посети</translation>
    </message>
    <message>
        <source>Visits behind this number</source>
        <translation>Посетите зад овој број</translation>
    </message>
    <message>
        <source>The visits behind this number cannot be listed: %1</source>
        <translation>Посетите зад овој број не може да се наведат: %1</translation>
    </message>
    <message>
        <source>total</source>
        <translation>вкупно</translation>
    </message>
    <message>
        <source>urban</source>
        <translation>град</translation>
    </message>
    <message>
        <source>rural</source>
        <translation>село</translation>
    </message>
    <message>
        <source>Total</source>
        <translation>Вкупно</translation>
    </message>
    <message>
        <source>all ages</source>
        <translation>сите возрасти</translation>
    </message>
    <message>
        <source>women</source>
        <translation>жени</translation>
    </message>
    <message>
        <source>men</source>
        <translation>мажи</translation>
    </message>
    <message>
        <source>female</source>
        <translation>женски</translation>
    </message>
    <message>
        <source>male</source>
        <translation>машки</translation>
    </message>
    <message>
        <source>No.</source>
        <translation>Бр.</translation>
    </message>
    <message>
        <source>Visit number (RED_BR)</source>
        <translation>Реден број на посетата (RED_BR)</translation>
    </message>
    <message>
        <source>Date</source>
        <translation>Датум</translation>
    </message>
    <message>
        <source>Visit date</source>
        <translation>Датум на посетата</translation>
    </message>
    <message>
        <source>Citizen no.</source>
        <translation>Матичен бр.</translation>
    </message>
    <message>
        <source>Citizen number</source>
        <translation>Матичен број</translation>
    </message>
    <message>
        <source>Surname</source>
        <translation>Презиме</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Име</translation>
    </message>
    <message>
        <source>Born</source>
        <translation>Роден</translation>
    </message>
    <message>
        <source>Birth date</source>
        <translation>Датум на раѓање</translation>
    </message>
    <message>
        <source>Category</source>
        <translation>Категорија</translation>
    </message>
    <message>
        <source>Diagnosis category</source>
        <translation>Категорија на дијагнозата</translation>
    </message>
    <message>
        <source>Sub.</source>
        <translation>Потк.</translation>
    </message>
    <message>
        <source>Diagnosis sub-category</source>
        <translation>Поткатегорија на дијагнозата</translation>
    </message>
    <message>
        <source>Doctor</source>
        <translation>Лекар</translation>
    </message>
    <message>
        <source>Settlement</source>
        <translation>Место</translation>
    </message>
    <message>
        <source>Settlement code</source>
        <translation>Шифра на населеното место</translation>
    </message>
    <message>
        <source>Service</source>
        <translation>Услуга</translation>
    </message>
    <message>
        <source>Kind of service</source>
        <translation>Вид на услуга</translation>
    </message>
    <message>
        <source>Row</source>
        <translation>Ред</translation>
    </message>
    <message>
        <source>Row of the form it was counted in</source>
        <translation>Редот на обрасецот во кој е избројана</translation>
    </message>
    <message>
        <source>Age band</source>
        <translation>Возрасна група</translation>
    </message>
    <message>
        <source>Age band it was counted in</source>
        <translation>Возрасната група во која е избројана</translation>
    </message>
    <message>
        <source>Sex</source>
        <translation>Пол</translation>
    </message>
    <message>
        <source>Sex it was counted under</source>
        <translation>Полот под кој е избројана</translation>
    </message>
    <message>
        <source>The database now gives %1 for this cell; the report shows %2.</source>
        <translation>Базата на податоци сега дава %1 за оваа ќелија; извештајот покажува %2.</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>Копирај</translation>
    </message>
    <message>
        <source>Save as CSV...</source>
        <translation>Зачувај како CSV...</translation>
    </message>
    <message>
        <source>Save the visits as CSV</source>
        <translation>Зачувување на посетите како CSV</translation>
    </message>
    <message>
        <source>CSV (*.csv)</source>
        <translation>CSV (*.csv)</translation>
    </message>
    <message>
        <source>the report does not say what it was asked</source>
        <translation>извештајот не кажува што е побарано</translation>
    </message>
    <message>
        <source>Column %1</source>
        <translation>Колона %1</translation>
    </message>
    <message>
        <source>%1 (%2)</source>
        <translation>%1 (%2)</translation>
    </message>
    <message>
        <source>Row %1</source>
        <translation>Ред %1</translation>
    </message>
    <message>
        <source>%1, %2</source>
        <translation>%1, %2</translation>
    </message>
    <message>
        <source>Chapter %1</source>
        <translation>Поглавје %1</translation>
    </message>
    <message>
        <source>%1, %2: %3</source>
        <translation>%1, %2: %3</translation>
    </message>
    <message>
        <source>%1, %2, %3</source>
        <translation>%1, %2, %3</translation>
    </message>
</context>
<context>
    <name>tarel::report::FindDialog</name>
    <message>
        <source>Find Text</source>
        <translation>Барање текст</translation>
    </message>
    <message>
        <source>Text to find:</source>
        <translation>Текст за барање:</translation>
    </message>
    <message>
        <source>Case sensitive</source>
        <translation>Разликувај големи и мали букви</translation>
    </message>
    <message>
        <source>Search from begin</source>
        <translation>Барај од почетокот</translation>
    </message>
</context>
<context>
    <name>tarel::report::PageSettingsDialog</name>
    <message>
        <source> cm</source>
        <translation> см</translation>
    </message>
    <message>
        <source>Page Settings</source>
        <translation>Поставки на страницата</translation>
    </message>
    <message>
        <source>Custom</source>
        <translation>Прилагодена</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>Големина</translation>
    </message>
    <message>
        <source>Width</source>
        <translation>Ширина</translation>
    </message>
    <message>
        <source>Height</source>
        <translation>Висина</translation>
    </message>
    <message>
        <source>Orientation</source>
        <translation>Ориентација</translation>
    </message>
    <message>
        <source>Portrait</source>
        <translation>Вертикално</translation>
    </message>
    <message>
        <source>Landscape</source>
        <translation>Хоризонтално</translation>
    </message>
    <message>
        <source>Margins</source>
        <translation>Маргини</translation>
    </message>
    <message>
        <source>Left</source>
        <translation>Лево</translation>
    </message>
    <message>
        <source>Right</source>
        <translation>Десно</translation>
    </message>
    <message>
        <source>Top</source>
        <translation>Горе</translation>
    </message>
    <message>
        <source>Bottom</source>
        <translation>Долу</translation>
    </message>
    <message>
        <source>Apply to the current page</source>
        <translation>Примени на тековната страница</translation>
    </message>
    <message>
        <source>Apply to all pages</source>
        <translation>Примени на сите страници</translation>
    </message>
</context>
<context>
    <name>tarel::report::PreviewWindow</name>
    <message>
        <source>Prepared Report (*.fp3)</source>
        <translation>Подготвен извештај (*.fp3)</translation>
    </message>
    <message>
        <source>Preview</source>
        <translation>Преглед</translation>
    </message>
    <message>
        <source>Find Next</source>
        <translation>Најди следно</translation>
    </message>
    <message>
        <source>Print</source>
        <translation>Печати</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Отвори</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Зачувај</translation>
    </message>
    <message>
        <source>Export</source>
        <translation>Извези</translation>
    </message>
    <message>
        <source>Find</source>
        <translation>Најди</translation>
    </message>
    <message>
        <source>Whole Page</source>
        <translation>Цела страница</translation>
    </message>
    <message>
        <source>Page Width</source>
        <translation>Ширина на страницата</translation>
    </message>
    <message>
        <source>Two Pages</source>
        <translation>Две страници</translation>
    </message>
    <message>
        <source>Zoom</source>
        <translation>Зум</translation>
    </message>
    <message>
        <source>Margins</source>
        <translation>Маргини</translation>
    </message>
    <message>
        <source>Outline</source>
        <translation>Содржина</translation>
    </message>
    <message>
        <source>Drag</source>
        <translation>Влечење</translation>
    </message>
    <message>
        <source>Drag Tool</source>
        <translation>Алатка за влечење</translation>
    </message>
    <message>
        <source>Zoom Tool</source>
        <translation>Алатка за зумирање</translation>
    </message>
    <message>
        <source>Add Page</source>
        <translation>Додај страница</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Избриши</translation>
    </message>
    <message>
        <source>Delete Page</source>
        <translation>Избриши страница</translation>
    </message>
    <message>
        <source>Edit</source>
        <translation>Уреди</translation>
    </message>
    <message>
        <source>Edit Page</source>
        <translation>Уреди страница</translation>
    </message>
    <message>
        <source>First</source>
        <translation>Прва</translation>
    </message>
    <message>
        <source>First Page</source>
        <translation>Прва страница</translation>
    </message>
    <message>
        <source>Prior</source>
        <translation>Претходна</translation>
    </message>
    <message>
        <source>Prior Page</source>
        <translation>Претходна страница</translation>
    </message>
    <message>
        <source>Page Number</source>
        <translation>Број на страница</translation>
    </message>
    <message>
        <source>Next</source>
        <translation>Следна</translation>
    </message>
    <message>
        <source>Next Page</source>
        <translation>Следна страница</translation>
    </message>
    <message>
        <source>Last</source>
        <translation>Последна</translation>
    </message>
    <message>
        <source>Last Page</source>
        <translation>Последна страница</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Затвори</translation>
    </message>
    <message>
        <source>Text &quot;%1&quot; not found.</source>
        <translation>Текстот „%1“ не е пронајден.</translation>
    </message>
    <message>
        <source>Saving file...</source>
        <translation>Се зачувува датотеката...</translation>
    </message>
    <message>
        <source>Loading file...</source>
        <translation>Се вчитува датотеката...</translation>
    </message>
    <message>
        <source>No printers installed in your system</source>
        <translation>Во системот нема инсталирани печатачи</translation>
    </message>
    <message>
        <source>None of the chosen pages is in the report, which has %1 pages.</source>
        <translation>Ниту една од избраните страници не е во извештајот; број на страници во извештајот: %1.</translation>
    </message>
</context>
</TS>
