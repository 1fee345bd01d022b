@echo off
rem The demo package's setup: records that it ran and where, then reports success (exit code 0).
echo Demo setup ran in %~dp0 with arguments: %*> "%~dp0setup-ran.txt"
exit /b 0
