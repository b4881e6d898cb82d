console.log('Tidewater')
