<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="ru">
<context>
    <name>AddonLink</name>
    <message>
        <source>Ошибка...</source>
        <translation>Error...</translation>
    </message>
    <message>
        <source>Не найден модуль: <byte value="xd"/>
</source>
        <translation>Module not found: <byte value="xd"/>
</translation>
    </message>
</context>
<context>
    <name>EditorArgument</name>
    <message>
        <source>Не указан номер окна индикатора.</source>
        <translation>The indicator&apos;s window number is missing.</translation>
    </message>
    <message>
        <source>Лишние аргументы: «%1».</source>
        <translation>Extra arguments: &quot;%1&quot;.</translation>
    </message>
    <message>
        <source>Номер окна индикатора не число: «%1».</source>
        <translation>The indicator&apos;s window number is not a number: &quot;%1&quot;.</translation>
    </message>
    <message>
        <source>Номер окна индикатора отрицательный: «%1».</source>
        <translation>The indicator&apos;s window number is negative: &quot;%1&quot;.</translation>
    </message>
    <message>
        <source>Номер окна индикатора не может быть нулём.</source>
        <translation>The indicator&apos;s window number cannot be zero.</translation>
    </message>
    <message>
        <source>Номер окна индикатора больше 2147483647: «%1».</source>
        <translation>The indicator&apos;s window number is greater than 2147483647: &quot;%1&quot;.</translation>
    </message>
    <message>
        <source>

Использование: ThermoBadgeOpt.dll &lt;номер окна&gt;|&lt;температура&gt;
Программу запускает индикатор (двойной щелчок или пункт меню «Вид»), например: ThermoBadgeOpt.dll 596|+7°</source>
        <translation>

Usage: ThermoBadgeOpt.dll &lt;window number&gt;|&lt;temperature&gt;
The indicator starts this program (a double-click or the menu item &quot;Look&quot;), for example: ThermoBadgeOpt.dll 596|+7°</translation>
    </message>
</context>
<context>
    <name>EditorWindow</name>
    <message>
        <source>Вид индикатора ThermoBadge[*]</source>
        <translation>ThermoBadge indicator look[*]</translation>
    </message>
    <message>
        <source>Сохранить</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>Вернуть исходный вид</source>
        <translation>Revert to the original look</translation>
    </message>
    <message>
        <source>Закрыть</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>Текст</source>
        <translation>Text</translation>
    </message>
    <message>
        <source>Тень и контур</source>
        <translation>Shadow and outline</translation>
    </message>
    <message>
        <source>Цвета картинки</source>
        <translation>Picture colours</translation>
    </message>
    <message>
        <source>Так индикатор будет выглядеть:</source>
        <translation>This is how the indicator will look:</translation>
    </message>
    <message>
        <source>Вид индикатора</source>
        <translation>Indicator look</translation>
    </message>
    <message>
        <source>В прошлый раз изменения вида не были сохранены.
Вернуть их?</source>
        <translation>Last time the changes to the look were not saved.
Bring them back?</translation>
    </message>
    <message>
        <source>Вид изменён, но не сохранён.
Сохранить его?</source>
        <translation>The look has changed but is not saved.
Save it?</translation>
    </message>
    <message>
        <source>Ошибка...</source>
        <translation>Error...</translation>
    </message>
    <message>
        <source>Вид не сохранён.
Нет места для списка шаблонов пользователя: %1
Изменения остались в редакторе.</source>
        <translation>The look is not saved.
No place for the user&apos;s skin list: %1
The changes are still in the editor.</translation>
    </message>
    <message>
        <source>Вид не сохранён.
%1
Изменения остались в редакторе: можно исправить причину и сохранить ещё раз.</source>
        <translation>The look is not saved.
%1
The changes are still in the editor: you can mend the cause and save again.</translation>
    </message>
    <message>
        <source>Вид сохранён.</source>
        <translation>The look is saved.</translation>
    </message>
    <message>
        <source>Индикатор показывает изменения сразу.</source>
        <translation>The indicator shows the changes at once.</translation>
    </message>
    <message>
        <source>Индикатор не отвечает: изменения видны только здесь.</source>
        <translation>The indicator does not answer: the changes show only here.</translation>
    </message>
    <message>
        <source>Шрифта «%1» на этом компьютере нет: индикатор рисует текст шрифтом %2.</source>
        <translation>This computer has no font &quot;%1&quot;: the indicator draws the text in %2.</translation>
    </message>
</context>
<context>
    <name>EffectsPane</name>
    <message>
        <source> пикс.</source>
        <translation> px</translation>
    </message>
    <message>
        <source>Тень</source>
        <translation>Shadow</translation>
    </message>
    <message>
        <source>Рисовать тень</source>
        <translation>Draw a shadow</translation>
    </message>
    <message>
        <source>Цвет тени...</source>
        <translation>Shadow colour...</translation>
    </message>
    <message>
        <source>Цвет тени</source>
        <translation>Shadow colour</translation>
    </message>
    <message>
        <source>Сдвиг вправо:</source>
        <translation>Offset right:</translation>
    </message>
    <message>
        <source>Сдвиг вверх:</source>
        <translation>Offset up:</translation>
    </message>
    <message>
        <source>Непрозрачность:</source>
        <translation>Opacity:</translation>
    </message>
    <message>
        <source>Контур</source>
        <translation>Outline</translation>
    </message>
    <message>
        <source>Обводить контур</source>
        <translation>Draw an outline</translation>
    </message>
    <message>
        <source>Цвет контура...</source>
        <translation>Outline colour...</translation>
    </message>
    <message>
        <source>Цвет контура</source>
        <translation>Outline colour</translation>
    </message>
    <message>
        <source>Заливка поверх контура</source>
        <translation>Fill over the outline</translation>
    </message>
    <message>
        <source>Толщина:</source>
        <translation>Width:</translation>
    </message>
</context>
<context>
    <name>LookPreview</name>
    <message>
        <source>Нет файла картинки:
%1</source>
        <translation>No picture file:
%1</translation>
    </message>
    <message>
        <source>Картинку не удалось нарисовать.</source>
        <translation>The picture could not be drawn.</translation>
    </message>
</context>
<context>
    <name>PicturePane</name>
    <message>
        <source>Исходные цвета</source>
        <translation>Original colours</translation>
    </message>
    <message>
        <source>Оттенок:</source>
        <translation>Hue:</translation>
    </message>
    <message>
        <source>Насыщенность:</source>
        <translation>Saturation:</translation>
    </message>
    <message>
        <source>Интенсивность:</source>
        <translation>Intensity:</translation>
    </message>
    <message>
        <source>Яркость:</source>
        <translation>Brightness:</translation>
    </message>
    <message>
        <source>Прозрачность:</source>
        <translation>Transparency:</translation>
    </message>
</context>
<context>
    <name>PopupMenuWidget</name>
    <message>
        <source>Верх-Слева</source>
        <translation>Top left</translation>
    </message>
    <message>
        <source>Низ-Справа</source>
        <translation>Bottom right</translation>
    </message>
    <message>
        <source>Верх-Справа</source>
        <translation>Top right</translation>
    </message>
    <message>
        <source>Низ-Слева</source>
        <translation>Bottom left</translation>
    </message>
    <message>
        <source>Центр-Сверху</source>
        <translation>Top centre</translation>
    </message>
    <message>
        <source>Центр-Снизу</source>
        <translation>Bottom centre</translation>
    </message>
    <message>
        <source>Скрыть</source>
        <translation>Hide</translation>
    </message>
    <message>
        <source>Показать</source>
        <translation>Show</translation>
    </message>
    <message>
        <source>Впереди</source>
        <translation>On top</translation>
    </message>
    <message>
        <source>Инд-р t°</source>
        <translation>Stale t° mark</translation>
    </message>
    <message>
        <source>Задействовать</source>
        <translation>Enabled</translation>
    </message>
    <message>
        <source>Положение</source>
        <translation>Position</translation>
    </message>
    <message>
        <source>Размер</source>
        <translation>Size</translation>
    </message>
    <message>
        <source>Вид</source>
        <translation>Look</translation>
    </message>
    <message>
        <source>Формат</source>
        <translation>Format</translation>
    </message>
    <message>
        <source>Масштаб</source>
        <translation>Scale</translation>
    </message>
    <message>
        <source>Прозрачность</source>
        <translation>Transparency</translation>
    </message>
    <message>
        <source>Настройки</source>
        <translation>Options</translation>
    </message>
    <message>
        <source>Город...</source>
        <translation>Town...</translation>
    </message>
    <message>
        <source>О программе</source>
        <translation>About</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>E&amp;xit</translation>
    </message>
</context>
<context>
    <name>ProviderTable</name>
    <message>
        <source>Интернет</source>
        <translation>Internet</translation>
    </message>
    <message>
        <source>Локальный</source>
        <translation>Local</translation>
    </message>
</context>
<context>
    <name>SkinBrowser</name>
    <message>
        <source>Картинка</source>
        <translation>Picture</translation>
    </message>
    <message>
        <source>Переименовать...</source>
        <translation>Rename...</translation>
    </message>
    <message>
        <source>Добавить картинку...</source>
        <translation>Add a picture...</translation>
    </message>
    <message>
        <source>Новая папка...</source>
        <translation>New folder...</translation>
    </message>
    <message>
        <source>Папка:</source>
        <translation>Folder:</translation>
    </message>
    <message>
        <source>В файле %1 нет папок с картинками. Добавьте папку.</source>
        <translation>The file %1 has no picture folders. Add a folder.</translation>
    </message>
    <message>
        <source>Картинки «%1» нет в списке.</source>
        <translation>The picture &quot;%1&quot; is not in the list.</translation>
    </message>
    <message>
        <source>Ошибка...</source>
        <translation>Error...</translation>
    </message>
    <message>
        <source>Новая папка</source>
        <translation>New folder</translation>
    </message>
    <message>
        <source>Имя новой папки с картинками:</source>
        <translation>Name of the new picture folder:</translation>
    </message>
    <message>
        <source>Переименовать папку</source>
        <translation>Rename the folder</translation>
    </message>
    <message>
        <source>Новое имя папки «%1»:</source>
        <translation>New name of the folder &quot;%1&quot;:</translation>
    </message>
    <message>
        <source>Добавить картинку в папку «%1»</source>
        <translation>Add a picture to the folder &quot;%1&quot;</translation>
    </message>
    <message>
        <source>Картинки (*.png *.jpg *.jpeg *.bmp *.gif);;Все файлы (*)</source>
        <translation>Pictures (*.png *.jpg *.jpeg *.bmp *.gif);;All files (*)</translation>
    </message>
</context>
<context>
    <name>SkinCatalog</name>
    <message>
        <source>Имя папки пустое.</source>
        <translation>The folder name is empty.</translation>
    </message>
    <message>
        <source>Имя папки не может начинаться или кончаться пробелом.</source>
        <translation>A folder name cannot begin or end with a space.</translation>
    </message>
    <message>
        <source>Имя папки «%1» недопустимо.</source>
        <translation>The folder name &quot;%1&quot; is not allowed.</translation>
    </message>
    <message>
        <source>Имя папки не может содержать знаки / \ и |.</source>
        <translation>A folder name cannot contain the characters / \ and |.</translation>
    </message>
    <message>
        <source>Имя папки длиннее 100 знаков.</source>
        <translation>The folder name is longer than 100 characters.</translation>
    </message>
    <message>
        <source>Имя папки содержит знаки, которых нет в кодировке windows-1251.</source>
        <translation>The folder name contains characters that the windows-1251 encoding does not have.</translation>
    </message>
    <message>
        <source>В списке уже %1 папок, больше нельзя.</source>
        <translation>The list has %1 folders already; no more are allowed.</translation>
    </message>
    <message>
        <source>Папка «%1» уже есть в списке.</source>
        <translation>The folder &quot;%1&quot; is in the list already.</translation>
    </message>
    <message>
        <source>Нет места для списка шаблонов пользователя в %1.</source>
        <translation>No place for the user&apos;s skin list in %1.</translation>
    </message>
    <message>
        <source>Не удалось создать папку %1.</source>
        <translation>Could not create the folder %1.</translation>
    </message>
    <message>
        <source>Папки номер %1 нет в списке.</source>
        <translation>There is no folder number %1 in the list.</translation>
    </message>
    <message>
        <source>Папка %1 уже существует.</source>
        <translation>The folder %1 exists already.</translation>
    </message>
    <message>
        <source>Не удалось переименовать папку %1.</source>
        <translation>Could not rename the folder %1.</translation>
    </message>
    <message>
        <source>Не удалось скопировать %1 в %2.</source>
        <translation>Could not copy %1 to %2.</translation>
    </message>
    <message>
        <source>В папке «%1» уже %2 картинок, больше нельзя.</source>
        <translation>The folder &quot;%1&quot; has %2 pictures already; no more are allowed.</translation>
    </message>
    <message>
        <source>Файл %1 не удаётся прочитать как картинку.</source>
        <translation>The file %1 cannot be read as a picture.</translation>
    </message>
</context>
<context>
    <name>TemperatureText</name>
    <message>
        <source>d.MM.yyyy в HH</source>
        <translation>d.MM.yyyy &apos;at&apos; HH</translation>
    </message>
</context>
<context>
    <name>TextPane</name>
    <message>
        <source> пикс.</source>
        <translation> px</translation>
    </message>
    <message>
        <source>Жирный</source>
        <translation>Bold</translation>
    </message>
    <message>
        <source>Курсив</source>
        <translation>Italic</translation>
    </message>
    <message>
        <source>Подчёркнутый</source>
        <translation>Underlined</translation>
    </message>
    <message>
        <source>Цвет текста...</source>
        <translation>Text colour...</translation>
    </message>
    <message>
        <source>Цвет текста</source>
        <translation>Text colour</translation>
    </message>
    <message>
        <source>Заливать текст цветом</source>
        <translation>Fill the text with the colour</translation>
    </message>
    <message>
        <source>Шрифт:</source>
        <translation>Font:</translation>
    </message>
    <message>
        <source>Размер:</source>
        <translation>Size:</translation>
    </message>
    <message>
        <source>Цвет:</source>
        <translation>Colour:</translation>
    </message>
    <message>
        <source>Сдвиг вправо:</source>
        <translation>Offset right:</translation>
    </message>
    <message>
        <source>Сдвиг вверх:</source>
        <translation>Offset up:</translation>
    </message>
</context>
<context>
    <name>TownChoice</name>
    <message>
        <source>Не удалось записать настройки сервера температуры.</source>
        <translation>Could not write the temperature server&apos;s settings.</translation>
    </message>
    <message>
        <source>Не удалось запустить сервер температуры.</source>
        <translation>Could not start the temperature server.</translation>
    </message>
    <message>
        <source>Выбрано: %1.</source>
        <translation>Chosen: %1.</translation>
    </message>
    <message>
        <source> Температуру даёт сервер, который уже работал на этом компьютере.</source>
        <translation> The temperature comes from the server that was already running on this computer.</translation>
    </message>
    <message>
        <source> Но сервер температуры не запустился.</source>
        <translation> But the temperature server did not start.</translation>
    </message>
    <message>
        <source>Подождите: предыдущий выбор ещё не закончен.</source>
        <translation>Please wait: the previous choice is not finished yet.</translation>
    </message>
</context>
<context>
    <name>VerShow</name>
    <message>
        <source>Доступна новая версия программы: %1

Установлена версия: %2</source>
        <translation>A new version of the program is available: %1

Installed version: %2</translation>
    </message>
    <message>
        <source>Не указана версия программы.</source>
        <translation>No program version is given.</translation>
    </message>
    <message>
        <source>Лишние аргументы: «%1».</source>
        <translation>Extra arguments: &quot;%1&quot;.</translation>
    </message>
    <message>
        <source>Слишком длинный аргумент: «%1».</source>
        <translation>The argument is too long: &quot;%1&quot;.</translation>
    </message>
    <message>
        <source>Неверный аргумент: «%1».</source>
        <translation>Invalid argument: &quot;%1&quot;.</translation>
    </message>
    <message>
        <source>

Использование: VerShow.dll /v&lt;версия&gt;
Версия: целое число или два числа через точку, например: VerShow.dll /v1.5</source>
        <translation>

Usage: VerShow.dll /v&lt;version&gt;
The version: a whole number or two numbers joined by a point, for example: VerShow.dll /v1.5</translation>
    </message>
    <message>
        <source>нет дисплея для окна сообщения.</source>
        <translation>no display for the notice window.</translation>
    </message>
</context>
<context>
    <name>WriteInIKey</name>
    <message>
        <source>%1 — не файл.</source>
        <translation>%1 is not a file.</translation>
    </message>
    <message>
        <source>Файл %1 только для чтения.</source>
        <translation>The file %1 is read-only.</translation>
    </message>
    <message>
        <source>Файл %1 слишком большой (больше %2 байт).</source>
        <translation>The file %1 is too large (more than %2 bytes).</translation>
    </message>
    <message>
        <source>Не удалось прочитать файл %1: %2.</source>
        <translation>Could not read the file %1: %2.</translation>
    </message>
    <message>
        <source>Недопустимое имя раздела или ключа: [%1] %2.</source>
        <translation>Invalid section or key name: [%1] %2.</translation>
    </message>
    <message>
        <source>Значение ключа %1 содержит перевод строки.</source>
        <translation>The value of the key %1 contains a line break.</translation>
    </message>
    <message>
        <source>Не удалось записать файл %1: %2.</source>
        <translation>Could not write the file %1: %2.</translation>
    </message>
</context>
<context>
    <name>ctlTemper</name>
    <message>
        <source>Блокировано открытие порта...</source>
        <translation>Opening the port was blocked...</translation>
    </message>
    <message>
        <source>Какая-то программа защиты не даёт работать с сетью.<byte value="xd"/>
Возможно антивирус или фаервол.<byte value="xd"/>
Работа программы невозможна!</source>
        <translation>A protection program does not let the program use the network.<byte value="xd"/>
Perhaps an antivirus or a firewall.<byte value="xd"/>
The program cannot work!</translation>
    </message>
    <message>
        <source>Ошибка загрузки формы...</source>
        <translation>Error loading the form...</translation>
    </message>
    <message>
        <source>Номер: </source>
        <translation>Number: </translation>
    </message>
</context>
<context>
    <name>frmAbout</name>
    <message>
        <source>ThermoBadge (version %1.%2)</source>
        <translation>ThermoBadge (version %1.%2)</translation>
    </message>
    <message>
        <source>О программе...</source>
        <translation>About...</translation>
    </message>
    <message>
        <source>Ok!</source>
        <translation>Ok!</translation>
    </message>
</context>
<context>
    <name>frmErr</name>
    <message>
        <source>Error GDI+</source>
        <translation>Error GDI+</translation>
    </message>
    <message>
        <source>DublClick-ClearList</source>
        <translation>Double-click clears the list</translation>
    </message>
    <message>
        <source>Логировать ошибки</source>
        <translation>Log errors</translation>
    </message>
    <message>
        <source>Close (Error List)</source>
        <translation>Close (Error List)</translation>
    </message>
</context>
<context>
    <name>frmMain</name>
    <message>
        <source>Ошибка...</source>
        <translation>Error...</translation>
    </message>
    <message>
        <source>Файл: </source>
        <translation>File: </translation>
    </message>
    <message>
        <source><byte value="xd"/>
Нет доступа!</source>
        <translation><byte value="xd"/>
No access!</translation>
    </message>
</context>
<context>
    <name>frmOptions</name>
    <message>
        <source>Выбор провайдера сети получения температуры</source>
        <translation>Choose the provider group the temperature comes from</translation>
    </message>
    <message>
        <source>Настройки программы</source>
        <translation>Program settings</translation>
    </message>
    <message>
        <source>Выбор провайдера</source>
        <translation>Provider</translation>
    </message>
    <message>
        <source>Коррекция т-ры</source>
        <translation>Correction</translation>
    </message>
    <message>
        <source>Коррекция температуры от -10 до +10 °C</source>
        <translation>Temperature correction from -10 to +10 °C</translation>
    </message>
    <message>
        <source>Это температура</source>
        <translation>Degrees Celsius</translation>
    </message>
    <message>
        <source>Автозапуск и проверка версии</source>
        <translation>Start at log-on and version check</translation>
    </message>
    <message>
        <source>Автозапуск</source>
        <translation>Autostart</translation>
    </message>
    <message>
        <source>Вкл/Выкл запуска программы при загрузке Windows</source>
        <translation>Start the program when you log on: on/off</translation>
    </message>
    <message>
        <source>Версия</source>
        <translation>Version</translation>
    </message>
    <message>
        <source>Вкл/Выкл проверку новой верии термометра</source>
        <translation>Check for a new version of the thermometer: on/off</translation>
    </message>
    <message>
        <source>Иконка в трее</source>
        <translation>Tray icon</translation>
    </message>
    <message>
        <source>Вид</source>
        <translation>Style</translation>
    </message>
    <message>
        <source>Классический</source>
        <translation>Classic</translation>
    </message>
    <message>
        <source>Обычный вид иконки в трее</source>
        <translation>The program icon in the tray</translation>
    </message>
    <message>
        <source>Цифровой</source>
        <translation>Digital</translation>
    </message>
    <message>
        <source>Отображает темпер-ру в трее (десятые градуса будут округляться)</source>
        <translation>Shows the temperature in the tray (tenths of a degree are rounded)</translation>
    </message>
    <message>
        <source>Прозрачный</source>
        <translation>Transparent</translation>
    </message>
    <message>
        <source>Включает прозрачность фона иконки в трее</source>
        <translation>Makes the tray icon&apos;s background transparent</translation>
    </message>
    <message>
        <source>Жирный</source>
        <translation>Bold</translation>
    </message>
    <message>
        <source>Жирный шрифт цифр в трее</source>
        <translation>Bold digits in the tray</translation>
    </message>
    <message>
        <source>Цвет при температуре</source>
        <translation>Colours by temperature</translation>
    </message>
    <message>
        <source>При положительной темп-ре</source>
        <translation>At or above zero</translation>
    </message>
    <message>
        <source>Цвет цифр при температуре ≥ 0</source>
        <translation>Digit colour at temperatures ≥ 0</translation>
    </message>
    <message>
        <source>Цифры</source>
        <translation>Digits</translation>
    </message>
    <message>
        <source>Цвет цифр в трее при темп-ре большей или равной нулю</source>
        <translation>Colour of the tray digits at or above zero</translation>
    </message>
    <message>
        <source>Цвет фона при температуре ≥ 0</source>
        <translation>Background colour at temperatures ≥ 0</translation>
    </message>
    <message>
        <source>Фон</source>
        <translation>Back</translation>
    </message>
    <message>
        <source>Цвет фона иконки в трее при темп-ре большей или равной нулю</source>
        <translation>Colour of the tray icon&apos;s background at or above zero</translation>
    </message>
    <message>
        <source>При отрицательной темп-ре</source>
        <translation>Below zero</translation>
    </message>
    <message>
        <source>Цвет цифр при температуре &lt; 0</source>
        <translation>Digit colour at temperatures &lt; 0</translation>
    </message>
    <message>
        <source>Цвет фона при температуре &lt; 0</source>
        <translation>Background colour at temperatures &lt; 0</translation>
    </message>
    <message>
        <source>Ввод</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Отмена</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>frmSlider</name>
    <message>
        <source>Прозрачность %  (0-</source>
        <translation>Transparency %  (0-</translation>
    </message>
    <message>
        <source>Клик мыши устанавливает значение по умолчанию</source>
        <translation>A click sets the default value</translation>
    </message>
    <message>
        <source>Регулирование: клавиши стрелок, PgUp, PgDn</source>
        <translation>Arrow keys, PgUp, PgDn</translation>
    </message>
    <message>
        <source>Вкл.</source>
        <translation>On</translation>
    </message>
    <message>
        <source>Задействовать прозрачность</source>
        <translation>Use transparency</translation>
    </message>
    <message>
        <source>Масштаб % (25-300)</source>
        <translation>Scale % (25-300)</translation>
    </message>
    <message>
        <source>Ширина (X)</source>
        <translation>Width (X)</translation>
    </message>
    <message>
        <source>Высота (Y)</source>
        <translation>Height (Y)</translation>
    </message>
    <message>
        <source>Задействовать масштабирование</source>
        <translation>Use scaling</translation>
    </message>
    <message>
        <source>Ш+В</source>
        <translation>W+H</translation>
    </message>
    <message>
        <source>Масштабировать синхронно Ширину и Высоту</source>
        <translation>Scale width and height together</translation>
    </message>
    <message>
        <source>Отключать масштаб при смене шаблона</source>
        <translation>Scaling off when the skin changes</translation>
    </message>
    <message>
        <source>Автоматически отключает масштабирование при смене шаблона</source>
        <translation>Turns scaling off by itself when another skin is chosen</translation>
    </message>
</context>
<context>
    <name>frmTown</name>
    <message>
        <source>Поиск не работает: не удалось запустить программу thermobadge-server.</source>
        <translation>Search does not work: the program thermobadge-server could not be started.</translation>
    </message>
    <message>
        <source>Служба поиска городов не ответила. Проверьте подключение к сети и повторите.</source>
        <translation>The town search service did not answer. Check the network connection and try again.</translation>
    </message>
    <message>
        <source>Поиск не работает: адрес службы поиска городов задан неверно.</source>
        <translation>Search does not work: the town search service&apos;s address is wrong.</translation>
    </message>
    <message>
        <source>Ничего не найдено. Проверьте название или введите координаты, например 55.75, 37.62.</source>
        <translation>Nothing found. Check the name or type coordinates, for example 55.75, 37.62.</translation>
    </message>
    <message>
        <source>Нет связи со службой поиска городов. Проверьте подключение к сети и повторите.</source>
        <translation>No connection to the town search service. Check the network connection and try again.</translation>
    </message>
    <message>
        <source>Служба поиска городов ответила ошибкой. Повторите позже.</source>
        <translation>The town search service answered with an error. Try again later.</translation>
    </message>
    <message>
        <source>Введите название города (не длиннее 200 знаков) или координаты, например 55.75, 37.62.</source>
        <translation>Type a town&apos;s name (200 characters at most) or coordinates, for example 55.75, 37.62.</translation>
    </message>
    <message>
        <source>Таких координат нет: широта от -90 до 90, долгота от -180 до 180, например 55.75, 37.62.</source>
        <translation>No such coordinates: latitude from -90 to 90, longitude from -180 to 180, for example 55.75, 37.62.</translation>
    </message>
    <message>
        <source>Поиск отключён: программа запущена без выхода в сеть (THERMOBADGE_LOOPBACK_ONLY=1).</source>
        <translation>Search is off: the program runs without network access (THERMOBADGE_LOOPBACK_ONLY=1).</translation>
    </message>
    <message>
        <source>Поиск не удался (код %1).</source>
        <translation>The search failed (code %1).</translation>
    </message>
    <message>
        <source>Город</source>
        <translation>Town</translation>
    </message>
    <message>
        <source>Город или координаты:</source>
        <translation>Town or coordinates:</translation>
    </message>
    <message>
        <source>например, Москва или 55.75, 37.62</source>
        <translation>for example, Moscow or 55.75, 37.62</translation>
    </message>
    <message>
        <source>Найти</source>
        <translation>Find</translation>
    </message>
    <message>
        <source>Моё место</source>
        <translation>My location</translation>
    </message>
    <message>
        <source>Регион</source>
        <translation>Region</translation>
    </message>
    <message>
        <source>Страна</source>
        <translation>Country</translation>
    </message>
    <message>
        <source>Координаты</source>
        <translation>Coordinates</translation>
    </message>
    <message>
        <source>Выбрать</source>
        <translation>Choose</translation>
    </message>
    <message>
        <source>Закрыть</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>Моё место: нет службы</source>
        <translation>My location: no service</translation>
    </message>
    <message>
        <source>На этом компьютере нет службы местоположения</source>
        <translation>This computer has no location service</translation>
    </message>
    <message>
        <source>Взять место этого компьютера у службы местоположения</source>
        <translation>Ask the location service where this computer is</translation>
    </message>
    <message>
        <source>Город не выбран: выберите свой, и индикатор покажет его температуру.</source>
        <translation>No town is chosen: choose yours and the indicator shows its temperature.</translation>
    </message>
    <message>
        <source>Сейчас: %1</source>
        <translation>Now: %1</translation>
    </message>
    <message>
        <source>Сейчас: %1 (%2)</source>
        <translation>Now: %1 (%2)</translation>
    </message>
    <message>
        <source>Введите название города или координаты, например 55.75, 37.62.</source>
        <translation>Type a town&apos;s name or coordinates, for example 55.75, 37.62.</translation>
    </message>
    <message>
        <source>Слишком длинное название: не больше %1 знаков.</source>
        <translation>The name is too long: %1 characters at most.</translation>
    </message>
    <message>
        <source>Поиск…</source>
        <translation>Searching…</translation>
    </message>
    <message>
        <source>Служба поиска городов ответила непонятно. Повторите позже.</source>
        <translation>The town search service gave an answer that cannot be read. Try again later.</translation>
    </message>
    <message>
        <source>Найдено одно место. Нажмите «Выбрать».</source>
        <translation>One place found. Press &quot;Choose&quot;.</translation>
    </message>
    <message>
        <source>Найдено мест: %1. Выберите своё и нажмите «Выбрать».</source>
        <translation>Places found: %1. Pick yours and press &quot;Choose&quot;.</translation>
    </message>
    <message>
        <source>Население: %1</source>
        <translation>Population: %1</translation>
    </message>
    <message>
        <source>Настраиваю сервер температуры для: %1…</source>
        <translation>Setting up the temperature server for: %1…</translation>
    </message>
    <message>
        <source>Определяю место…</source>
        <translation>Finding the location…</translation>
    </message>
    <message>
        <source>Служба местоположения не сообщила место. Введите город или координаты.</source>
        <translation>The location service did not say where you are. Type a town or coordinates.</translation>
    </message>
</context>
</TS>
