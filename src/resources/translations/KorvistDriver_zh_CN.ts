<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>MainWindow</name>
    <message>
        <source>声卡未连接！</source>
        <translation>声卡未连接！</translation>
    </message>
</context>
</TS>
