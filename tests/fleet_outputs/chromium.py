"""Debian's Chromium as the report's test and benchmark drive it: headless, through Debian's
chromedriver, with a fresh profile, and with every background connection turned off (this
machine's closed network refuses them, and the report must need none)."""
from selenium import webdriver
from selenium.webdriver.chrome.service import Service


def start_chromium(profile):
    options = webdriver.ChromeOptions()
    options.binary_location = '/usr/bin/chromium'
    for flag in ('--headless', '--no-sandbox', '--disable-gpu', '--no-first-run',
                 '--disable-background-networking', '--disable-component-update', '--disable-sync',
                 '--disable-quic', '--window-size=1600,900', f'--user-data-dir={profile}'):
        options.add_argument(flag)
    options.set_capability('goog:loggingPrefs', {'browser': 'ALL'})
    return webdriver.Chrome(service=Service('/usr/bin/chromedriver'), options=options)
