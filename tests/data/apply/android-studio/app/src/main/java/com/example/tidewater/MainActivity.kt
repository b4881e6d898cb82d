package com.example.tidewater
