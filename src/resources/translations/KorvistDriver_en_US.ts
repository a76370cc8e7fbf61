<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>MainWindow</name>
    <message>
        <source>声卡未连接！</source>
        <translation>Sound card not connected!</translation>
    </message>
</context>
</TS>
