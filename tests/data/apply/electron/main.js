const { app } = require('electron');
