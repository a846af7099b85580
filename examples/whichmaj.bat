@echo off
rem Names the major Windows release from zepho's default (major) status.
rem IF ERRORLEVEL n is true for n or higher, so the tests go from high to low.
rem Runs under COMMAND.COM (Windows 95, 98, ME) and cmd.exe (NT, 2000, XP).
zepho /QUIET
if errorlevel 8 goto unknown
if errorlevel 7 goto xp
if errorlevel 6 goto w2k
if errorlevel 5 goto nt4
if errorlevel 4 goto me
if errorlevel 3 goto w98se
if errorlevel 2 goto w98
if errorlevel 1 goto w95
:unknown
echo Unknown release
goto end
:xp
echo Windows XP (major status 7)
goto end
:w2k
echo Windows 2000 (major status 6)
goto end
:nt4
echo Windows NT 4.0 (major status 5)
goto end
:me
echo Windows Millenium Edition (major status 4)
goto end
:w98se
echo Windows 98 Second Edition (major status 3)
goto end
:w98
echo Windows 98 (major status 2)
goto end
:w95
echo Windows 95 (major status 1)
:end
