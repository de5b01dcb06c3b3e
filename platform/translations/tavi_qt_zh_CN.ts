<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<!-- Qt's own texts that Qt 6.4's Chinese catalogue lacks: the file dialogs' type column
     names a folder through this context, which the catalogue still has under another. -->
<TS version="2.1" language="zh_CN">
<context>
    <name>QAbstractFileIconProvider</name>
    <message>
        <source>Folder</source>
        <comment>All other platforms</comment>
        <translation>文件夹</translation>
    </message>
    <message>
        <source>Folder</source>
        <comment>Match OS X Finder</comment>
        <translation>文件夹</translation>
    </message>
    <message>
        <source>Drive</source>
        <translation>驱动器</translation>
    </message>
</context>
</TS>
